#pragma once

#include "fileidentity.h"
#include "temporaryfile.h"

#include <QString>

#include <memory>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

/**
 * The file that an output path leads to, found as the system finds it when it opens the path:
 * symbolic links are followed one at a time, each from the folder it lies in.
 */
struct OutputTarget
{
    enum class Type { Missing, Regular, Folder, Socket, Stream };

    Type type = Type::Missing;
    std::shared_ptr<const Folder> folder; ///< the folder that holds it, or would
    QString name;                         ///< its name there, which is no symbolic link
    FileIdentity identity;                ///< where it exists
    bool linked = false;                  ///< it has other names too (hard links)
#ifndef Q_OS_WIN
    struct stat status = {};
#endif

    /** The path to it, in native notation. */
    QString path() const;
};

/** Finds where @p path leads: false, with the system's reason in @p error, where it cannot. */
bool locateOutput(const QString &path, OutputTarget *target, int *error);

/**
 * Whether @p path still leads to the file that @p target found, as nothing else may have been
 * put in its place during the join. Where the system cannot tell, false with its reason in
 * @p error; where it leads elsewhere, false with @p error 0.
 */
bool stillLeadsThere(const QString &path, const OutputTarget &target, int *error);
