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
    return tr(text).arg(displayPath(path), reasonText(reason));
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

QString displayPath(const QString &path)
{
    return escapedControls(QDir::toNativeSeparators(path));
}

QString escapedControls(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && (c.unicode() < 0x80 || c.unicode() > 0x9F)) {
            shown += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            shown += QStringLiteral("\\x") + QString::number(static_cast<unsigned char>(byte), 16).toUpper().rightJustified(2, u'0');
    }
    return shown;
}

// Windows' own texts end in a period, and the sentences put one of their own.
QString reasonText(const QString &reason)
{
    QString text = reason.trimmed();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}
