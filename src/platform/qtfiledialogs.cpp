#include "filedialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

// Windows has dialogs of its own (win32filedialogs.cpp).
#ifndef Q_OS_WIN
namespace {

class QtFileDialogs final : public FileDialogs
{
public:
    QStringList run(const FileDialogRequest &request) override
    {
        keepNothingBetweenRuns();
        QFileDialog dialog(request.owner, request.title, request.folder);
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        if (!request.nameFilters.isEmpty())
            dialog.setNameFilters(request.nameFilters);

        if (request.kind == FileDialogRequest::Open) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(request.multipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        }
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);

        // What the dialog accepted. Afterwards, selectedFiles() may also hold
        // a folder that the completer selected while a path was typed.
        QStringList accepted;
        QObject::connect(&dialog, &QFileDialog::filesSelected, [&accepted](const QStringList &files) { accepted = files; });
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return accepted;
    }
};

} // namespace

FileDialogs &FileDialogs::native()
{
    static QtFileDialogs dialogs;
    return dialogs;
}
#endif

// QFileDialog keeps its state in the settings of the organization
// "QtProject", which every Qt program of the user shares, reading it when it
// opens and writing it when it closes; there is no option against that. So
// every settings file of this process lies inside the program file: a folder
// inside a file can never be made, not even by root, and holds nothing to
// read. (On Windows, Qt's dialog keeps them in the registry whatever it is
// told, which is why the program uses the system's own dialogs there.)
void FileDialogs::keepNothingBetweenRuns()
{
    const QString program = QCoreApplication::applicationFilePath();
    Q_ASSERT(QFileInfo(program).isFile());
    const QString nowhere = program + QStringLiteral("/settings");
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, nowhere);
    }
}
