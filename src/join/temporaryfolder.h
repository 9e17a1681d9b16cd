#pragma once

#include "temporaryfile.h"

#include <QString>
#include <QStringList>

/**
 * Makes @p file, named after @p base where it needs a name, in the folder for temporary files:
 * the one that TMPDIR names (on Windows the one the system gives, from TMP or TEMP), or else the
 * system's own, /tmp. Never the root folder. False where no folder takes it: @p failures then
 * holds "in <folder> (<reason>)" for each folder tried.
 */
bool makeTemporaryFile(const QString &base, TemporaryFile *file, QStringList *failures);

/** The places tried, for a sentence: "in A (reason), in B (reason) or in C (reason)". */
QString placesTried(const QStringList &failures);
