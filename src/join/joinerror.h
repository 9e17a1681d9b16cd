#pragma once

#include <QString>

// The join's messages: one sentence that names the file and then, on a line of its own, the
// reason. The path "-" is the standard input or output.

/** "Cannot read file <path>:\n<reason>." */
QString cannotReadMessage(const QString &path, const QString &reason);

/** "Cannot write file <path>:\n<reason>." */
QString cannotWriteMessage(const QString &path, const QString &reason);

/** "Cannot join the files into <path>:\n<reason>.", for what is no file's fault. */
QString cannotJoinMessage(const QString &path, const QString &reason);

/** @p path as a message shows it: in native notation, its control characters escaped. */
QString displayPath(const QString &path);

/**
 * @p text with every control character written as the \xHH of its UTF-8 bytes, so that a name
 * in it can neither garble nor drive a terminal.
 */
QString escapedControls(const QString &text);

/** @p reason without the period that some systems' texts end in, to stand inside a sentence. */
QString reasonText(const QString &reason);
