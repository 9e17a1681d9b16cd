#include "form1.h"

#include "app.h"
#include "centerformmodule.h"
#include "errorreport.h"
#include "filelist.h"
#include "filelistcommands.h"
#include "filelistediting.h"
#include "joinbutton.h"
#include "listhistory.h"
#include "mainmodule.h"
#include "picture.h"
#include "pushbuttonrule.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMouseEvent>

namespace {

// The hidden Command1 holds the focus at start and does nothing. A screen
// reader announces it as a text that says where the user is, not as a
// button to press.
QAccessibleInterface *hiddenButtonAccessible(const QString &, QObject *object)
{
    auto *button = qobject_cast<QPushButton *>(object);
    if (button && button->objectName() == QLatin1StringView("Command1")
        && qobject_cast<Form1 *>(button->parentWidget()))
        return new QAccessibleWidget(button, QAccessible::StaticText);
    return nullptr;
}

// A button picture and its copy drawn at twice the size. Both count as
// pictures of one pixel per pixel, so that Qt chooses between them by size:
// the smaller one where the screen has a pixel for each pixel of the layout,
// the larger one, shrunk to fit, on any denser screen. A picture shrunk stays
// sharper than one stretched.
QIcon pictureForAnyDensity(const QString &fileName)
{
    QString largeName = fileName;
    largeName.insert(largeName.lastIndexOf(u'.'), QLatin1StringView("@2x"));
    QPixmap large(largeName);
    large.setDevicePixelRatio(1);
    // Not QIcon(fileName): that would add the larger picture once more, as
    // one of two pixels per pixel, when the program starts on a dense screen.
    QIcon icon(QPixmap{fileName});
    icon.addPixmap(large);
    return icon;
}

} // namespace

Form1::Form1(QWidget *parent) : Form(parent), CommonDialog1(this)
{
    // Before the controls exist: a running screen reader asks for them at once.
    QAccessible::installFactory(hiddenButtonAccessible);
    setupUi(this);
    Check1->setIcon(pictureForAnyDensity(QStringLiteral(":/pictures/add.jpg")));
    Check2->setIcon(pictureForAnyDensity(QStringLiteral(":/pictures/join.jpg")));
    // Qt's icon reader would take the 24-bit icon as opaque and ignore its mask.
    QIcon icon(LoadPicture(QStringLiteral(":/pictures/quillmere.ico")).pixmap());
    icon.addFile(QStringLiteral(":/pictures/quillmere-64.png"));
    setWindowIcon(icon);
    // No maximize command; the frame can still be dragged to any size.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Designer keeps whole points only.
    for (GraphicalCheckBox *button : {Check1, Check2}) {
        QFont font = button->font();
        font.setPointSizeF(11.25);
        button->setFont(font);
    }

    // The list's scroll bars take no moves of the pointer unless they track
    // it, and then swallow them: each part of the list is watched itself.
    setMouseTracking(true);
    QList<QWidget *> controls{Check1, Check2, List1};
    controls += List1->findChildren<QWidget *>();
    for (QWidget *control : std::as_const(controls)) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }

    connect(Check1, &GraphicalCheckBox::Click, this, &Form1::addFiles);
    connect(Check2, &GraphicalCheckBox::Click, this, &Form1::joinFiles);
    connect(List1, &ListBox::DblClick, this, &Form1::removeSelectedFile);
    FileList::enableDirectEditing(*this, *List1);
    m_joinButton = std::make_unique<JoinButton>(*this, CommonDialog1, *List1);
    m_listCommands = new FileListCommands(*List1, [this](const std::function<void()> &command) {
        runReportingErrors(this, tr("The list could not be changed."), command);
    });

    // Qt's item views do not offer their tool tip to a screen reader, who
    // also hears of the keys that the tool tip leaves out.
    List1->setAccessibleDescription(List1->toolTip() + u' '
                                    + tr("Delete removes the selected entry; Ctrl+Up and Ctrl+Down move it.") + u' '
                                    + m_listCommands->keysDescription());

    // The hidden button outside the client area holds the focus at first, so
    // that no visible control shows a focus mark.
    Command1->setFocus();
}

Form1::~Form1() = default;

void Form1::load()
{
    CenterFormModule::CenterForm(*this);
    setCaption(QStringLiteral("Quillmere"));

    const QString cursorFile = App::Path() + QDir::separator() + QStringLiteral("HAND-M.CUR");
    if (Main::FileExists(cursorFile) == Main::True)
        setMouseIcon(LoadPicture(cursorFile));
}

void Form1::openFiles(const QStringList &paths)
{
    QStringList absolutePaths;
    for (const QString &path : paths) {
        if (!path.isEmpty())
            absolutePaths.append(QFileInfo(path).absoluteFilePath());
    }
    runReportingErrors(this, tr("The files could not be added."), [&] {
        const QStringList files = FileListEditing::filesToAdd(absolutePaths);
        if (!files.isEmpty())
            FileList::append(*this, *List1, files);
    });
    // The list the program starts with is where Undo stops.
    m_listCommands->history().clear();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // A join under way stops first, leaving its output as it was; the window
    // closes, and the program ends, as soon as it has.
    if (m_joinButton->stop()) {
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
    runReportingErrors(this, tr("The files could not be added."), [this] { FileList::Add(*this, CommonDialog1, *List1); });
}

void Form1::joinFiles()
{
    if (!takePress(*Check2))
        return;
    bool stopped = false;
    runReportingErrors(this, tr("The files could not be joined."), [&] { stopped = !m_joinButton->join(); });
    // Stopped because the window was closed: now it closes.
    if (stopped)
        close();
}

void Form1::removeSelectedFile()
{
    runReportingErrors(this, tr("The entry could not be removed."), [this] { FileList::RemoveSelected(*List1); });
}
