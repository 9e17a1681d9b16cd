#pragma once

#include "commondialog.h"
#include "form.h"
#include "ui_form1.h"

#include <QStringList>

#include <memory>

class FileListCommands;
class JoinButton;

/// The main window: the list of files to join, the Add and Join buttons.
class Form1 : public Form, private Ui::Form1
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    /// The window's Load event, raised once before it is first shown. Throws
    /// RuntimeError when the pointer file beside the program is damaged.
    void load();

    /// Lists the files named on the command line, in the order given, as a
    /// drop of them would: a folder stands for the files directly inside it.
    /// A path that names nothing is listed all the same; the join reports it.
    void openFiles(const QStringList &paths);

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void addFiles();
    void joinFiles();
    void removeSelectedFile();

private:
    CommonDialog CommonDialog1;
    std::unique_ptr<JoinButton> m_joinButton;
    FileListCommands *m_listCommands = nullptr;
};
