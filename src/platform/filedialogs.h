#pragma once

#include "seam.h"

#include <QString>
#include <QStringList>

class QWidget;

/// What a common dialog asks of the window system's file dialog.
struct FileDialogRequest
{
    enum Kind { Open, Save };

    Kind kind = Open;
    QWidget *owner = nullptr;
    QString title;
    /// Qt's form: "Description (pattern pattern)".
    QStringList nameFilters;
    /// The folder the dialog opens in, and the name it offers.
    QString folder;
    QString fileName;
    bool multipleSelection = false;
    bool confirmOverwrite = false;
};

/// The modal file dialog itself: Windows' own dialogs there, QFileDialog
/// elsewhere, or a test's scripted fake.
class FileDialogs : public Seam<FileDialogs>
{
public:
    virtual ~FileDialogs() = default;

    /// Shows the dialog and returns the full paths chosen, in the dialog's
    /// order; none when the user cancelled.
    virtual QStringList run(const FileDialogRequest &request) = 0;

    static FileDialogs &native();

    /// Keeps Qt's own file dialog from reading or writing what it would keep
    /// between runs (its history of folders, its side bar, its view), for a
    /// program that keeps nothing. The native dialogs see to it themselves;
    /// call it before making a QFileDialog of one's own.
    static void keepNothingBetweenRuns();
};
