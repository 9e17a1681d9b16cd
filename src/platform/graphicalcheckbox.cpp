#include "graphicalcheckbox.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

GraphicalCheckBox::GraphicalCheckBox(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { setValue(m_value == 0 ? 1 : 0); });
}

void GraphicalCheckBox::setValue(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
    emit Click();
}

QSize GraphicalCheckBox::sizeHint() const
{
    return iconSize() + QSize(12, 12);
}

void GraphicalCheckBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);

    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    // Held down by the mouse or pressed by Value, the face is sunken.
    if (isDown() || m_value == 1)
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    // The face has the button's own colour around the picture, whatever
    // shading the style gives a button; the style's frame stays.
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const QRect face = rect().adjusted(frame, frame, -frame, -frame);
    painter.fillRect(face, palette().button());

    const QPixmap picture = icon().pixmap(iconSize(), devicePixelRatio());
    if (!picture.isNull()) {
        QRect target(QPoint(), iconSize());
        target.moveCenter(rect().center());
        if (option.state & QStyle::State_Sunken)
            target.translate(1, 1);
        // A picture as tall as the button leaves the bevel's edges standing.
        painter.setClipRect(face);
        painter.drawPixmap(target, picture);
        painter.setClipping(false);
    }
    // A shadow along the top and left shows the face pressed in.
    if (option.state & QStyle::State_Sunken) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(face.topLeft(), face.topRight());
        painter.drawLine(face.topLeft(), face.bottomLeft());
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
