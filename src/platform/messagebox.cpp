#include "messagebox.h"

#include "app.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

// Wider than this, a prompt wraps.
constexpr int MaxTextWidth = 480;

// The prompt as text that can be selected and copied, wrapped within the
// screen, and a single OK button that Enter and Escape press. A path with no
// blanks, which a message box would cut off, wraps anywhere.
class MessageWindow final : public QDialog
{
public:
    MessageWindow(QWidget *owner, const QString &prompt) : QDialog(owner)
    {
        setWindowTitle(App::Title());
        setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
        setAccessibleDescription(prompt);

        auto *text = new QPlainTextEdit(prompt, this);
        text->setObjectName(QStringLiteral("prompt"));
        text->setReadOnly(true);
        text->setFrameShape(QFrame::NoFrame);
        text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        text->setFocusPolicy(Qt::ClickFocus);
        text->setContextMenuPolicy(Qt::DefaultContextMenu);
        QPalette palette = text->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        text->setPalette(palette);

        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
        ok->setDefault(true);

        // Ctrl+C copies the selection, or the whole message as Windows' own
        // message boxes do.
        auto *copy = new QShortcut(QKeySequence::Copy, this);
        connect(copy, &QShortcut::activated, this, [text] {
            const QString selected = text->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
            QGuiApplication::clipboard()->setText(selected.isEmpty() ? text->toPlainText() : selected);
        });

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addWidget(buttons);
        sizeText(*text, prompt);
        ok->setFocus();
    }

private:
    // As wide as the longest line, up to the limit, and as high as the text
    // then wraps, within the screen; the rest scrolls.
    void sizeText(QPlainTextEdit &text, const QString &prompt)
    {
        const QRect screen = (parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
                                     ->availableGeometry();
        const QFontMetrics metrics = text.fontMetrics();
        int widest = 0;
        const QStringList paragraphs = prompt.split(u'\n');
        for (const QString &paragraph : paragraphs)
            widest = qMax(widest, metrics.horizontalAdvance(paragraph));
        const int textWidth = qMin(widest + 1, qMin(MaxTextWidth, screen.width() / 2));

        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        int lines = 0;
        for (const QString &paragraph : paragraphs) {
            QTextLayout layout(paragraph, text.font());
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(textWidth);
                ++lines;
            }
            layout.endLayout();
        }
        const int margins = 2 * int(text.document()->documentMargin()) + 2 * text.frameWidth();
        const int height = lines * metrics.lineSpacing() + margins + 2;
        // Only a message higher than half the screen scrolls; its scroll bar
        // takes from the text's width.
        const bool scrolls = height > screen.height() / 2;
        text.setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        text.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int scrollBar = scrolls ? text.verticalScrollBar()->sizeHint().width() : 0;
        text.setFixedSize(textWidth + margins + scrollBar, qMin(height, screen.height() / 2));
    }
};

class QtMessageBoxes final : public MessageBoxes
{
public:
    void show(QWidget *owner, const QString &prompt) override
    {
        MessageWindow box(owner, prompt);
        box.exec();
    }
};

} // namespace

MessageBoxes &MessageBoxes::native()
{
    static QtMessageBoxes boxes;
    return boxes;
}
