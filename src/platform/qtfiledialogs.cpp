#include "filedialogs.h"

#include <QFileDialog>

namespace {

class QtFileDialogs final : public FileDialogs
{
public:
    QStringList run(const FileDialogRequest &request) override
    {
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

        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }
};

} // namespace

FileDialogs &FileDialogs::native()
{
    static QtFileDialogs dialogs;
    return dialogs;
}
