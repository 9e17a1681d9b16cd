#include "filedialogs.h"

#include "runtimeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

// Windows: the system's own open and save dialogs, which keep what Windows keeps for every
// program. Qt's file dialog would keep its own history and last folder in the registry, shared
// by every Qt program, and read them back in the next run.

namespace {

// Room for what a selection returns, its folder and every name: far more than the largest
// selection the list takes at once.
constexpr std::size_t SelectionRoom = 1 << 20;

QString tr(const char *text)
{
    return QCoreApplication::translate("CommonDialog", text);
}

// "Description (pattern pattern)" as the dialog takes it: description and patterns, each ended
// by a NUL, and one more NUL at the end.
std::wstring filterText(const QStringList &nameFilters)
{
    std::wstring text;
    for (const QString &filter : nameFilters) {
        const qsizetype open = filter.lastIndexOf(QLatin1String(" ("));
        const bool hasPatterns = open >= 0 && filter.endsWith(u')');
        QString patterns = hasPatterns ? filter.mid(open + 2).chopped(1) : QStringLiteral("*");
        patterns.replace(u' ', u';');
        text += (hasPatterns ? filter.left(open) : filter).toStdWString();
        text += L'\0';
        text += patterns.toStdWString();
        text += L'\0';
    }
    text += L'\0';
    return text;
}

// One name is a full path; several are the folder and then each name.
QStringList chosenPaths(const wchar_t *selection)
{
    QStringList parts;
    for (const wchar_t *part = selection; *part != L'\0'; part += std::wcslen(part) + 1)
        parts.append(QDir::fromNativeSeparators(QString::fromWCharArray(part)));
    if (parts.size() < 2)
        return parts;
    const QDir folder(parts.takeFirst());
    QStringList paths;
    for (const QString &name : std::as_const(parts))
        paths.append(folder.filePath(name));
    return paths;
}

class Win32FileDialogs final : public FileDialogs
{
public:
    QStringList run(const FileDialogRequest &request) override
    {
        std::vector<wchar_t> selection(SelectionRoom, L'\0');
        const std::wstring offered = QDir::toNativeSeparators(request.fileName).toStdWString();
        offered.copy(selection.data(), std::min(offered.size(), selection.size() - 1));
        const std::wstring filter = filterText(request.nameFilters);
        const std::wstring folder = QDir::toNativeSeparators(request.folder).toStdWString();
        const std::wstring title = request.title.toStdWString();
        const bool opening = request.kind == FileDialogRequest::Open;

        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof dialog;
        if (request.owner != nullptr)
            dialog.hwndOwner = reinterpret_cast<HWND>(request.owner->window()->winId());
        dialog.lpstrFilter = request.nameFilters.isEmpty() ? nullptr : filter.c_str();
        dialog.nFilterIndex = 1;
        dialog.lpstrFile = selection.data();
        dialog.nMaxFile = DWORD(selection.size());
        dialog.lpstrInitialDir = folder.c_str();
        dialog.lpstrTitle = title.c_str();
        // The process's current folder stays where it is, whatever folder the user visits.
        dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST
                     | OFN_ENABLESIZING;
        if (opening)
            dialog.Flags |= OFN_FILEMUSTEXIST | (request.multipleSelection ? OFN_ALLOWMULTISELECT : 0);
        else if (request.confirmOverwrite)
            dialog.Flags |= OFN_OVERWRITEPROMPT;

        if (opening ? ::GetOpenFileNameW(&dialog) : ::GetSaveFileNameW(&dialog))
            return chosenPaths(selection.data());
        const DWORD error = ::CommDlgExtendedError();
        if (error == 0)
            return {}; // cancelled
        if (error == FNERR_BUFFERTOOSMALL)
            throw RuntimeError(tr("The files chosen are too many for one selection. Choose fewer files at a time."));
        throw RuntimeError(tr("The file dialog cannot be shown (error %1).").arg(error, 4, 16, QLatin1Char('0')));
    }
};

} // namespace

FileDialogs &FileDialogs::native()
{
    static Win32FileDialogs dialogs;
    return dialogs;
}
