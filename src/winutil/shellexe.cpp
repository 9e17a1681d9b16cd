#include "shellexe.h"

#include "app.h"

namespace ShellExe {

QVariant ShellOpen(const winapi::HWND &hWnd, const QString &target)
{
    const QByteArray folder = App::Path().toUtf8();
    const QByteArray file = target.toUtf8();
    // No verb: the shell uses the item's default one.
    winapi::ShellExecuteA(hWnd, nullptr, file.constData(), nullptr, folder.constData(), winapi::SW_SHOWNORMAL);
    return QVariant();
}

} // namespace ShellExe
