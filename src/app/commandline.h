#pragma once

#include <QString>
#include <QStringList>

/// What the window program's command line asks for.
struct CommandLine
{
    enum Action { Run, Help, Version, UsageError };

    Action action = Run;
    /// For Run: the files and folders to list, in the order given.
    QStringList files;
    /// For the others: what to tell the user.
    QString message;

    /// Reads the arguments, the program's name first, once Qt has taken its
    /// own options out: -h or --help, -v or --version, and "--", after which
    /// every argument names a file, even one that starts with "-".
    static CommandLine parse(const QStringList &arguments);

    /// Tells the message: on standard output, or standard error for a usage
    /// error; on Windows, where the program has no console, in a message box.
    /// Returns the program's exit status: 0, or 2 for a usage error.
    int tell() const;
};
