#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

/// An error raised by the toolkit or the run-time services: a picture that is
/// no picture, a selection longer than a dialog's buffer, a system function
/// that cannot be bound. The description is written for the user and names
/// what failed and why.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(QString description)
        : m_description(std::move(description)), m_what(m_description.toUtf8())
    {
    }

    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};
