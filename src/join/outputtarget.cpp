#include "outputtarget.h"

#include <QDir>

QString OutputTarget::path() const
{
    return QDir::toNativeSeparators(folder->path + (folder->path.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
                                    + name);
}
