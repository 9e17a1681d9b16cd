#pragma once

#include "picture.h"
#include "stdfont.h"
#include "winapi.h"

#include <QWidget>

/// A top-level window of the program, with the properties its handlers work
/// with: positions and sizes in twips, the caption, the pointer, the font and
/// the window-system handles.
class Form : public QWidget
{
    Q_OBJECT

public:
    enum PointerShape { Default = 0, Arrow = 1, Custom = 99 };

    explicit Form(QWidget *parent = nullptr);

    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &caption) { setWindowTitle(caption); }

    /// The outer frame's position and size, in twips. Before the window is
    /// first shown the frame is not known yet and the client area stands in.
    virtual float Left() const;
    virtual void setLeft(float twips);
    virtual float Top() const;
    virtual void setTop(float twips);
    virtual float Width() const;
    virtual float Height() const;

    /// Arrow, or Custom for the MouseIcon (the arrow while there is none).
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int shape);
    const Picture &MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const Picture &icon);

    StdFont Font() { return StdFont(*this); }
    winapi::HDC hDC();
    winapi::HWND hWnd();

private:
    void applyPointer();

    int m_mousePointer = Default;
    int m_appliedPointer = Default;
    Picture m_mouseIcon;
    QCursor m_customCursor;
};
