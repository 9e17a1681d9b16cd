#pragma once

#include <QAbstractButton>

/// A two-state check box drawn as a push button that shows a picture: released
/// (Value 0) it stands raised, pressed (Value 1) it is drawn sunken.
///
/// A user's click flips Value. Every change of Value, the user's or the
/// program's, raises Click at once, nested in the assignment.
class GraphicalCheckBox : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)

public:
    explicit GraphicalCheckBox(QWidget *parent = nullptr);

    int Value() const { return m_value; }
    void setValue(int value);

    QSize sizeHint() const override;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
};
