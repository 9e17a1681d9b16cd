#pragma once

#include <QStringList>

/// The files directly inside @p folder, not hidden ones and not those of its
/// subfolders, each as the folder's path, a slash and its name, in natural
/// order ("part2" before "part10"). Where the folder cannot be read, none,
/// and @p error, if given, says why in the system's words.
QStringList folderFiles(const QString &folder, QString *error = nullptr);
