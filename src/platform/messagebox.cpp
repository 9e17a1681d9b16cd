#include "messagebox.h"

#include "app.h"

#include <QMessageBox>

namespace {

class QtMessageBoxes final : public MessageBoxes
{
public:
    void show(QWidget *owner, const QString &prompt) override
    {
        QMessageBox box(QMessageBox::NoIcon, App::Title(), prompt, QMessageBox::Ok, owner);
        box.exec();
    }
};

} // namespace

MessageBoxes &MessageBoxes::native()
{
    static QtMessageBoxes boxes;
    return boxes;
}
