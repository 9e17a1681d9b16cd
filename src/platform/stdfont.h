#pragma once

#include <QString>

class QWidget;

/// A control's font, read and written one property at a time. Each change
/// takes effect at once, so a device context of the control draws in it.
class StdFont
{
public:
    explicit StdFont(QWidget &owner) : m_owner(&owner) {}

    QString Name() const;
    void setName(const QString &name);

    bool Bold() const;
    void setBold(bool bold);

    /// The size in points, with its fraction (11.25, for instance).
    double Size() const;
    void setSize(double points);

private:
    QWidget *m_owner;
};
