#include "commondialog.h"

#include "filedialogs.h"
#include "runtimeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString tr(const char *text, int n = -1)
{
    return QCoreApplication::translate("CommonDialog", text, nullptr, n);
}

// The folder of every path when they all lie directly in the same one, as a
// dialog's choice does; empty otherwise. Works on the text alone, so that
// thousands of paths cost next to nothing.
QString sharedFolder(const QStringList &paths)
{
    const QString &first = paths.constFirst();
    const qsizetype slash = first.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    const QStringView prefix = QStringView(first).left(slash + 1);
    for (const QString &path : paths) {
        if (!path.startsWith(prefix) || path.indexOf(u'/', prefix.size()) >= 0 || path.size() == prefix.size())
            return QString();
    }
    // The root folder keeps its separator.
    return slash == 0 || (slash == 2 && first.at(1) == u':') ? prefix.toString() : first.left(slash);
}

// The deepest folder that holds every path. A dialog returns the files of one
// folder, but names typed into it may reach into others.
QString commonFolder(const QStringList &paths)
{
    QString folder = QFileInfo(paths.constFirst()).absolutePath();
    for (const QString &path : paths) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        while (!absolute.startsWith(folder.endsWith(u'/') ? folder : folder + u'/')) {
            const QString parent = QFileInfo(folder).absolutePath();
            if (parent == folder)
                break;
            folder = parent;
        }
    }
    return folder;
}

// A NUL, which no file name can hold, shown as \0.
QString shownName(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path).replace(QChar(0), QStringLiteral("\\0")) + u'"';
}

// The save dialog names the one file to write. Several names, or one with a
// NUL, which a selection string would also take for separators, name none.
void checkSaveName(const QStringList &paths)
{
    QStringList shown;
    for (const QString &path : paths)
        shown << shownName(path);
    if (paths.size() > 1)
        throw RuntimeError(tr("The save dialog returned %n names instead of one: %1.", int(paths.size()))
                                   .arg(shown.join(QStringLiteral(", "))));
    if (paths.constFirst().contains(QChar(0)))
        throw RuntimeError(tr("The save dialog returned a name with a NUL character in it: %1.").arg(shown.constFirst()));
}

} // namespace

void CommonDialog::ShowOpen()
{
    show(FileDialogRequest::Open);
}

void CommonDialog::ShowSave()
{
    show(FileDialogRequest::Save);
}

void CommonDialog::show(int kind)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind(kind);
    request.owner = m_owner;
    request.title = m_dialogTitle;
    if (request.title.isEmpty())
        request.title = kind == FileDialogRequest::Open ? tr("Open") : tr("Save As");
    request.nameFilters = nameFilters();
    request.multipleSelection = kind == FileDialogRequest::Open && (m_flags & AllowMultiSelect);
    request.confirmOverwrite = kind == FileDialogRequest::Save && (m_flags & OverwritePrompt);

    request.folder = m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
    if (!m_fileName.contains(QChar(0))) {
        const QFileInfo offered(m_fileName);
        if (!m_fileName.isEmpty() && offered.isAbsolute()) {
            request.folder = offered.absolutePath();
            request.fileName = offered.fileName();
        } else {
            request.fileName = m_fileName;
        }
    }

    const QStringList paths = FileDialogs::current().run(request);
    if (paths.isEmpty())
        return;
    if (kind == FileDialogRequest::Save)
        checkSaveName(paths);

    const QString selection = selectionString(paths);
    if (m_maxFileSize > 0 && selection.size() > m_maxFileSize) {
        throw RuntimeError(tr("The %n file(s) chosen take %1 characters, more than the dialog's limit of %2.\n"
                              "Choose fewer files at a time.",
                              int(paths.size()))
                               .arg(selection.size())
                               .arg(m_maxFileSize));
    }
    m_lastFolder = QFileInfo(paths.constFirst()).absolutePath();
    m_fileName = selection;
}

QStringList CommonDialog::nameFilters() const
{
    QStringList parts = m_filter.split(u'|');
    // Every part is followed by "|", so the last split is empty.
    if (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();

    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == u"*.*")
                pattern = QStringLiteral("*");
        }
        // Qt reads the patterns from the last parentheses; the dialog is told
        // to show only the description, which may have patterns of its own.
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

QString CommonDialog::selectionString(const QStringList &paths)
{
    if (paths.isEmpty())
        return QString();
    if (paths.size() == 1)
        return QDir::toNativeSeparators(paths.constFirst());

    QString selection;
    if (const QString folder = sharedFolder(paths); !folder.isEmpty()) {
        const qsizetype nameStart = folder.endsWith(u'/') ? folder.size() : folder.size() + 1;
        selection = QDir::toNativeSeparators(folder);
        for (const QString &path : paths) {
            selection += QChar(0);
            selection += QStringView(path).mid(nameStart);
        }
        return selection;
    }

    const QString folder = commonFolder(paths);
    const QDir dir(folder);
    selection = QDir::toNativeSeparators(folder);
    for (const QString &path : paths) {
        selection += QChar(0);
        selection += QDir::toNativeSeparators(dir.relativeFilePath(QFileInfo(path).absoluteFilePath()));
    }
    return selection;
}
