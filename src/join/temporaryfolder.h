#pragma once

#include "temporaryfile.h"

#include <QString>

/**
 * Makes @p file, named after @p base where it needs a name, in the folder for temporary files:
 * the one that TMPDIR names (on Windows the one the system gives, from TMP or TEMP), or else the
 * system's own, /tmp. Never the root folder. False where no folder takes it: @p reason then
 * names every folder tried, with the system's reason for each.
 */
bool makeTemporaryFile(const QString &base, TemporaryFile *file, QString *reason);
