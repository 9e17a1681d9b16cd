#pragma once

#include "winapi.h"

#include <QString>
#include <QVariant>

namespace ShellExe {

/// Opens a document or an address (a web or mail address, for instance) with
/// the program the desktop associates with it. A relative path is taken from
/// the program's own folder, which is also the working directory handed on.
/// hWnd owns anything the shell shows. Always returns an empty value, whether
/// the shell succeeded or not.
QVariant ShellOpen(const winapi::HWND &hWnd, const QString &target);

} // namespace ShellExe
