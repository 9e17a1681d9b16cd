#pragma once

#include "fileidentity.h"

#include <QString>

#include <memory>

class QIODevice;
struct JoinStop;

// The inputs of a join: every one is checked before the first is read, and then opened, read and
// closed one at a time, so that a list of any length keeps one file open. The path "-" stands
// for the standard input.

/**
 * Finds out whether @p path names a file that can be read: a readable regular file, or a
 * readable pipe, device or the standard input. A pipe or device is not opened: opening a pipe
 * would let a writer waiting at its other end go on, only to find nobody reading yet.
 * Returns the file's size (0 for a file that is no regular file), with what tells the file
 * apart in @p identity, or -1 with the reason in @p error.
 */
qint64 checkInput(const QString &path, FileIdentity *identity, QString *error);

/**
 * Opens @p path for reading, without waiting for a pipe's writer: its reads wait instead, until
 * @p stop says otherwise. Returns nullptr, with the reason in @p error, where it cannot.
 */
std::unique_ptr<QIODevice> openInput(const QString &path, const JoinStop &stop, QString *error);
