#pragma once

#include "app.h"
#include "filedialogs.h"
#include "messagebox.h"
#include "screen.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

#ifndef Q_OS_WIN
#include "desktopopener.h"
#endif

/// File dialogs that answer from a script: each run takes the next answer
/// (paths chosen, or none for Cancel) and records what it was asked.
class FakeFileDialogs : public FileDialogs
{
public:
    QList<FileDialogRequest> requests;
    QList<QStringList> answers;
    /// Runs while the dialog is "open", to look at the window meanwhile.
    std::function<void(const FileDialogRequest &)> whileOpen;

    QStringList run(const FileDialogRequest &request) override
    {
        requests << request;
        if (whileOpen)
            whileOpen(request);
        return answers.isEmpty() ? QStringList() : answers.takeFirst();
    }
};

/// Message boxes that record their prompts instead of showing them.
class FakeMessageBoxes : public MessageBoxes
{
public:
    QStringList prompts;

    void show(QWidget *, const QString &prompt) override { prompts << prompt; }
};

class FakeScreen : public Screen
{
public:
    FakeScreen(float width, float height) : m_width(width), m_height(height) {}
    float Width() override { return m_width; }
    float Height() override { return m_height; }

private:
    float m_width;
    float m_height;
};

class FixedProgramFolder : public ProgramFolder
{
public:
    explicit FixedProgramFolder(QString path) : m_path(std::move(path)) {}
    QString path() override { return m_path; }

private:
    QString m_path;
};

#ifndef Q_OS_WIN
/// The desktop's opener, recording what it was asked to open.
class RecordingOpener final : public DesktopOpener
{
public:
    QList<QUrl> opened;
    bool answer = true;

    bool open(const QUrl &url) override
    {
        opened << url;
        return answer;
    }
};
#endif
