#pragma once

#include <QStringList>

/// The files directly inside @p folder, not hidden ones and not those of its
/// subfolders, each as the folder's path, a slash and its name, in natural
/// order ("part2" before "part10").
QStringList folderFiles(const QString &folder);
