#pragma once

#include <QStringList>

#include <optional>

struct JoinStop;

/** Why a list gave no names. */
struct ListProblem
{
    enum class Kind {
        Unreadable, ///< the list's file could not be read; message says why
        Malformed,  ///< a line names no file, a usage error; message says which and why
        Stopped,    ///< the program was asked to stop while the list was read
    };
    Kind kind;
    QString message;
};

/**
 * Appends the names that the list file @p listPath holds, one a line, to @p names. A list is
 * UTF-8, with or without a byte-order mark, or UTF-16 (little or big endian) with one; on
 * Windows, a list without a mark that is no UTF-8 is read in the console's code page, which is
 * what "dir /b > LIST" writes. Lines end in LF or CR LF; empty ones are skipped; a line longer
 * than 64 KiB is refused unread. A line "-" is a file of that name, not the standard input.
 *
 * The list "-" is the standard input. A list is read as it comes, a pipe too, and its reading
 * ends within a fraction of a second once @p stop is set.
 */
std::optional<ListProblem> readList(const QString &listPath, const JoinStop &stop, QStringList *names);
