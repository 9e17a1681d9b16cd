#pragma once

#include "systemfile.h"

#include <QByteArray>
#include <QString>

#include <memory>

/** Whether @p error, from TemporaryFile::moveTo(), says that the name was taken. */
bool isNameTaken(int error);

/** A folder that files are made in: open on Linux, so that its path is resolved once. */
struct Folder
{
#ifndef Q_OS_WIN
    Handle handle;
#endif
    QString path; ///< for messages, and on Windows for the calls
};

/**
 * A file that a join writes before it is sure of the result: it has no name while the system
 * allows that (Linux), or else a name of its own that goes with it, so nothing of it remains
 * unless it is moved into place or kept.
 */
class TemporaryFile
{
public:
    TemporaryFile() = default;
    TemporaryFile(TemporaryFile &&) = default;
    TemporaryFile &operator=(TemporaryFile &&) = default;
    ~TemporaryFile();

    /**
     * Makes one, open for reading and writing, in @p folder. Where it needs a name, the name
     * starts with as much of @p base as the folder takes. False, with the reason in @p error,
     * where the folder takes no new file.
     */
    bool create(std::shared_ptr<const Folder> folder, const QString &base, int *error);

    bool isOpen() const { return m_file != nullptr; }
    SystemFile &file() { return *m_file; }
    const Folder &folder() const { return *m_folder; }

    /**
     * Puts it in the place of @p name, in the folder it was made in: only where that name is
     * free, unless @p replace. The file stays open.
     */
    bool moveTo(const QString &name, bool replace, int *error);

    /** Gives it a lasting name of its own, which path() then tells. */
    bool keep(int *error);

    /** Where it is, once it has a name. */
    QString path() const;

    /** Whether it stays where it is: moved into place, kept, or left where a move went wrong. */
    bool isKept() const { return m_lasting; }

private:
    bool linkAs(const QByteArray &name, int *error);
    bool nameFree(const QByteArray &name, int *error) const;

    std::shared_ptr<const Folder> m_folder;
    std::unique_ptr<SystemFile> m_file;
    QString m_base;
    QByteArray m_name;   ///< empty while it has none
    bool m_lasting = false; ///< moved into place or kept: its name is no longer ours to remove
};
