#include "folderfiles.h"

#include "naturalorder.h"

#include <QDir>

#include <algorithm>

QStringList folderFiles(const QString &folder)
{
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(names.begin(), names.end(), naturalLess);
    QStringList files;
    files.reserve(names.size());
    for (const QString &name : std::as_const(names))
        files.append(dir.filePath(name));
    return files;
}
