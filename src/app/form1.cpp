#include "form1.h"

#include "app.h"
#include "centerformmodule.h"
#include "filelist.h"
#include "joinbutton.h"
#include "mainmodule.h"
#include "messagebox.h"
#include "picture.h"
#include "pushbuttonrule.h"
#include "runtimeerror.h"

#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QMouseEvent>

#include <new>

Form1::Form1(QWidget *parent) : Form(parent), CommonDialog1(this)
{
    setupUi(this);
    // Qt's icon reader would take the 24-bit icon as opaque and ignore its mask.
    setWindowIcon(QIcon(LoadPicture(QStringLiteral(":/pictures/quillmere.ico")).pixmap()));
    // No maximize command; the frame can still be dragged to any size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Designer keeps whole points only.
    for (GraphicalCheckBox *button : {Check1, Check2}) {
        QFont font = button->font();
        font.setPointSizeF(11.25);
        button->setFont(font);
    }

    setMouseTracking(true);
    for (QWidget *control : {static_cast<QWidget *>(Check1), static_cast<QWidget *>(Check2),
                             static_cast<QWidget *>(List1), List1->viewport()}) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }

    connect(Check1, &GraphicalCheckBox::Click, this, &Form1::addFiles);
    connect(Check2, &GraphicalCheckBox::Click, this, &Form1::joinFiles);
    connect(List1, &ListBox::DblClick, this, &Form1::removeSelectedFile);
    FileList::enableDirectEditing(*this, *List1);

    // The hidden button outside the client area holds the focus at first, so
    // that no visible control shows a focus mark.
    Command1->setFocus();
}

void Form1::load()
{
    CenterFormModule::CenterForm(*this);
    setCaption(QStringLiteral("Quillmere"));

    const QString cursorFile = App::Path() + QDir::separator() + QStringLiteral("HAND-M.CUR");
    if (Main::FileExists(cursorFile) == Main::True) {
        // A damaged pointer is no reason to refuse to start.
        try {
            setMouseIcon(LoadPicture(cursorFile));
        } catch (const RuntimeError &error) {
            qWarning("quillmere: %s; using the standard pointers",
                     qUtf8Printable(error.description().replace(u'\n', u' ')));
        }
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A join under way stops first, leaving its output as it was; the window
    // closes, and the program ends, as soon as it has.
    if (JoinButton::stop()) {
        m_closeAfterJoin = true;
        event->ignore();
        return;
    }
    event->accept();
    App::End();
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    // A move over a control that the control did not take comes here too;
    // only the free client area shows the arrow.
    if (!childAt(event->position().toPoint()))
        setMousePointer(Arrow);
    Form::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove && watched != this)
        setMousePointer(Custom);
    return Form::eventFilter(watched, event);
}

void Form1::addFiles()
{
    if (!takePress(*Check1))
        return;
    reportFailure(tr("The files could not be added."), [this] { FileList::Add(*this, CommonDialog1, *List1); });
}

void Form1::joinFiles()
{
    if (!takePress(*Check2))
        return;
    reportFailure(tr("The files could not be joined."), [this] { JoinButton::join(*this, CommonDialog1, *List1); });
    if (m_closeAfterJoin)
        close();
}

void Form1::removeSelectedFile()
{
    reportFailure(tr("The entry could not be removed."), [this] { FileList::RemoveSelected(*List1); });
}

// Whatever goes wrong in a handler is told to the user; the window and its
// list stay as they are and the program goes on.
void Form1::reportFailure(const QString &what, const std::function<void()> &work)
{
    try {
        work();
    } catch (const RuntimeError &error) {
        MsgBox(this, what + QStringLiteral("\n\n") + error.description());
    } catch (const std::bad_alloc &) {
        MsgBox(this, what + QStringLiteral("\n\n") + tr("There is not enough memory."));
    } catch (const std::exception &error) {
        MsgBox(this, what + QStringLiteral("\n\n") + QString::fromLocal8Bit(error.what()));
    }
}
