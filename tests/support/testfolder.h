#pragma once

#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

/// A temporary folder for one test and the files it writes there, gone with it.
class TestFolder
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    /// Writes the file @p name, making the folders on its way, and gives its
    /// path; a file that cannot be written fails the test.
    QString write(const QString &name, const QByteArray &bytes = {}) const
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).path());
        writeFile(file, bytes);
        return file;
    }

    /// Every entry of the folder, or of a folder in it, hidden ones too, so
    /// that a temporary file left behind shows.
    QStringList entries(const QString &folder = {}) const
    {
        return QDir(folder.isEmpty() ? path() : path(folder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir m_dir;
};

/// Makes a folder the process's current one for as long as it lives.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const QString &path) { QDir::setCurrent(path); }
    ~CurrentDirectory() { QDir::setCurrent(m_previous); }
    CurrentDirectory(const CurrentDirectory &) = delete;
    CurrentDirectory &operator=(const CurrentDirectory &) = delete;

private:
    QString m_previous = QDir::currentPath();
};
