#include "form.h"

#include "twips.h"
#include "windowhandles.h"

#include <QAccessibleWidget>

namespace {

// A screen reader announces a plain widget as a filler; a form is a window,
// named by its caption.
QAccessibleInterface *formAccessible(const QString &, QObject *object)
{
    auto *form = qobject_cast<Form *>(object);
    if (form && form->isWindow())
        return new QAccessibleWidget(form, QAccessible::Window);
    return nullptr;
}

} // namespace

Form::Form(QWidget *parent) : QWidget(parent)
{
    // Before the first form exists: a running screen reader asks for it at once.
    static const bool accessible = (QAccessible::installFactory(formAccessible), true);
    Q_UNUSED(accessible);
}

float Form::Left() const
{
    return pixelsToTwips(frameGeometry().x());
}

void Form::setLeft(float twips)
{
    move(twipsToPixels(twips), frameGeometry().y());
}

float Form::Top() const
{
    return pixelsToTwips(frameGeometry().y());
}

void Form::setTop(float twips)
{
    move(frameGeometry().x(), twipsToPixels(twips));
}

float Form::Width() const
{
    return pixelsToTwips(frameGeometry().width());
}

float Form::Height() const
{
    return pixelsToTwips(frameGeometry().height());
}

// The handlers assign the pointer on every mouse movement; the window system
// hears of it only when the shape really changes.
void Form::setMousePointer(int shape)
{
    m_mousePointer = shape;
    if (shape != m_appliedPointer)
        applyPointer();
}

void Form::setMouseIcon(const Picture &icon)
{
    m_mouseIcon = icon;
    m_customCursor = icon.isNull() ? QCursor(Qt::ArrowCursor) : icon.cursor();
    applyPointer();
}

// Controls that set no pointer of their own show the window's, so setting it
// here decides the pointer over the whole client area.
void Form::applyPointer()
{
    m_appliedPointer = m_mousePointer;
    switch (m_mousePointer) {
    case Arrow:
        setCursor(Qt::ArrowCursor);
        break;
    case Custom:
        setCursor(m_mouseIcon.isNull() ? QCursor(Qt::ArrowCursor) : m_customCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

winapi::HDC Form::hDC()
{
    return WindowHandles::deviceContextOf(this);
}

winapi::HWND Form::hWnd()
{
    return WindowHandles::windowOf(this);
}
