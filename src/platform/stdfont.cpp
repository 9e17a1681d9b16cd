#include "stdfont.h"

#include <QFont>
#include <QWidget>

QString StdFont::Name() const
{
    return m_owner->font().family();
}

void StdFont::setName(const QString &name)
{
    QFont font = m_owner->font();
    font.setFamily(name);
    m_owner->setFont(font);
}

bool StdFont::Bold() const
{
    return m_owner->font().bold();
}

void StdFont::setBold(bool bold)
{
    QFont font = m_owner->font();
    font.setBold(bold);
    m_owner->setFont(font);
}

double StdFont::Size() const
{
    return m_owner->font().pointSizeF();
}

void StdFont::setSize(double points)
{
    QFont font = m_owner->font();
    font.setPointSizeF(points);
    m_owner->setFont(font);
}
