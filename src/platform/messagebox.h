#pragma once

#include "seam.h"

class QString;
class QWidget;

/// The program's message boxes: the prompt, one OK button, no icon, and the
/// application's title as caption. Modal; returns when dismissed.
class MessageBoxes : public Seam<MessageBoxes>
{
public:
    virtual ~MessageBoxes() = default;
    virtual void show(QWidget *owner, const QString &prompt) = 0;

    static MessageBoxes &native();
};

inline void MsgBox(QWidget *owner, const QString &prompt)
{
    MessageBoxes::current().show(owner, prompt);
}
