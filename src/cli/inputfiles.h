#pragma once

#include <QStringList>

#include <optional>

/**
 * Appends the files that the INPUTs @p names stand for to @p files, in order: a folder stands
 * for the files directly inside it, not hidden ones, in natural order ("part2" before "part10");
 * "-" and any other name for itself. With @p patterns, on Windows, a name whose last part holds
 * * or ? stands for the files and folders that match it, hidden ones left out, in natural order,
 * as a Unix shell would give them; a name with them only in an earlier part stays as it is.
 *
 * Returns, for the first name that stands for no file, why: a folder that holds no files or
 * cannot be read, a pattern that matches nothing.
 */
std::optional<QString> appendInputFiles(const QStringList &names, bool patterns, QStringList *files);
