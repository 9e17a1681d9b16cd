#include "joinerror.h"

#include "joinengine.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("JoinEngine", text);
}

QString withPath(const char *text, const QString &path, const QString &reason)
{
    return tr(text).arg(QDir::toNativeSeparators(path), reasonText(reason));
}

} // namespace

QString cannotReadMessage(const QString &path, const QString &reason)
{
    if (path == StandardStreamPath)
        return tr("Cannot read the standard input:\n%1.").arg(reasonText(reason));
    return withPath("Cannot read file %1:\n%2.", path, reason);
}

QString cannotWriteMessage(const QString &path, const QString &reason)
{
    if (path == StandardStreamPath)
        return tr("Cannot write the standard output:\n%1.").arg(reasonText(reason));
    return withPath("Cannot write file %1:\n%2.", path, reason);
}

QString cannotJoinMessage(const QString &path, const QString &reason)
{
    return withPath("Cannot join the files into %1:\n%2.", path, reason);
}

// Windows' own texts end in a period, and the sentences put one of their own.
QString reasonText(const QString &reason)
{
    QString text = reason.trimmed();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}
