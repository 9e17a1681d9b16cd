#include "listreader.h"

#include "bytenames.h"
#include "consolecodepage.h"
#include "joinengine.h"
#include "joinerror.h"
#include "joininput.h"
#include "joinstop.h"

#include <QIODevice>

#include <algorithm>
#include <memory>

namespace {

// No path is that long; a longer line is no list of paths, and is not read whole.
constexpr qsizetype MaxListLine = 64 << 10;
constexpr qint64 ChunkSize = 64 << 10;

enum class Encoding {
    Undecided, ///< no mark: UTF-8, or where a line is no UTF-8, the console's code page (Windows)
    Utf8,      ///< by its mark
    CodePage,  ///< the console's
    Utf16LE,
    Utf16BE,
};

qsizetype unitSize(Encoding encoding)
{
    return encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE ? 2 : 1;
}

char16_t unitAt(QByteArrayView bytes, qsizetype at, Encoding encoding)
{
    if (encoding == Encoding::Utf16LE)
        return char16_t(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8);
    if (encoding == Encoding::Utf16BE)
        return char16_t(uchar(bytes[at]) << 8 | uchar(bytes[at + 1]));
    return char16_t(uchar(bytes[at]));
}

// The byte-order mark that tells the list's encoding, and its length.
qsizetype takeByteOrderMark(QByteArrayView start, Encoding *encoding)
{
    if (start.startsWith("\xEF\xBB\xBF")) {
        *encoding = Encoding::Utf8;
        return 3;
    }
    if (start.startsWith("\xFF\xFE")) {
        *encoding = Encoding::Utf16LE;
        return 2;
    }
    if (start.startsWith("\xFE\xFF")) {
        *encoding = Encoding::Utf16BE;
        return 2;
    }
    return 0;
}

// Windows takes any sequence of 16-bit units for a name; Linux only what UTF-8 can carry.
std::optional<QString> utf16Text(QByteArrayView bytes, Encoding encoding)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(unitAt(bytes, 2 * i, encoding));
#ifndef Q_OS_WIN
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
#endif
    return text;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return uchar(byte) < 0x80; });
}

QString listName(const QString &path)
{
    return path == StandardStreamPath ? QStringLiteral("the standard input") : displayPath(path);
}

class ListReader
{
public:
    ListReader(const QString &path, QStringList *names) : m_path(path), m_names(names) {}

    std::optional<ListProblem> read(QIODevice &list, const JoinStop &stop);

private:
    struct Line
    {
        qint64 number;
        QByteArray bytes;
    };

    std::optional<ListProblem> takeLine(QByteArrayView line);
    std::optional<ListProblem> takeText(QByteArrayView line);
    std::optional<ListProblem> readInCodePage();
    std::optional<QString> codePageName(QByteArrayView line, qint64 number, ListProblem *problem) const;
    void append(const QString &name);
    ListProblem malformed(qint64 number, const QString &text) const;

    QString m_path;
    QStringList *m_names;
    Encoding m_encoding = Encoding::Undecided;
    qint64 m_number = 0;
    // The lines taken for UTF-8 that the console's code page would read otherwise, with where
    // their names stand in m_names, for as long as a later line may show the list to be in it.
    QList<std::pair<qsizetype, Line>> m_undecided;
};

ListProblem ListReader::malformed(qint64 number, const QString &text) const
{
    return {ListProblem::Kind::Malformed, QStringLiteral("Line %1 of %2").arg(number).arg(listName(m_path)) + text};
}

void ListReader::append(const QString &name)
{
    // In a list, "-" is a file of that name.
    m_names->append(name == StandardStreamPath ? QStringLiteral("./-") : name);
}

std::optional<ListProblem> ListReader::read(QIODevice &list, const JoinStop &stop)
{
    const auto chunk = std::make_unique_for_overwrite<char[]>(ChunkSize);
    QByteArray pending; // the start of a line, or of the list while its mark may still come
    qsizetype scanned = 0; // of pending, for its line feed
    bool started = false;
    for (;;) {
        const qint64 count = list.read(chunk.get(), ChunkSize);
        if (stop.cancelled())
            return ListProblem{ListProblem::Kind::Stopped, {}};
        if (count < 0)
            return ListProblem{ListProblem::Kind::Unreadable, cannotReadMessage(m_path, list.errorString())};
        const bool end = count == 0;
        pending.append(chunk.get(), count);
        if (!started) {
            if (!end && pending.size() < 3)
                continue;
            pending.remove(0, takeByteOrderMark(pending, &m_encoding));
            started = true;
        }
        const qsizetype unit = unitSize(m_encoding);
        qsizetype from = 0;
        for (qsizetype at = scanned; at + unit <= pending.size(); at += unit) {
            if (unitAt(pending, at, m_encoding) != u'\n')
                continue;
            ++m_number;
            if (auto problem = takeLine(QByteArrayView(pending).sliced(from, at - from)))
                return problem;
            from = at + unit;
        }
        pending.remove(0, from);
        scanned = pending.size() / unit * unit;
        // The line so far, without the CR that may end it, is too long already.
        if (pending.size() > MaxListLine + unit)
            return malformed(m_number + 1, QStringLiteral(" is longer than 64 KiB, so it names no file."));
        if (end) {
            if (pending.isEmpty())
                return std::nullopt;
            ++m_number;
            return takeLine(pending);
        }
    }
}

std::optional<ListProblem> ListReader::takeLine(QByteArrayView line)
{
    const qsizetype unit = unitSize(m_encoding);
    if (line.size() >= unit && unitAt(line, line.size() - unit, m_encoding) == u'\r')
        line.chop(unit);
    if (line.size() > MaxListLine)
        return malformed(m_number, QStringLiteral(" is longer than 64 KiB, so it names no file."));
    if (line.isEmpty())
        return std::nullopt;
    if (unit == 1) {
        if (line.contains('\0'))
            return malformed(m_number, QStringLiteral(" holds a NUL byte, which no file name can hold."));
        return takeText(line);
    }
    const std::optional<QString> name = utf16Text(line, m_encoding);
    if (!name)
        return malformed(m_number, QStringLiteral(" is no UTF-16 text, so it names no file."));
    if (name->contains(QChar(0)))
        return malformed(m_number, QStringLiteral(" holds a NUL character, which no file name can hold."));
    append(*name);
    return std::nullopt;
}

std::optional<ListProblem> ListReader::takeText(QByteArrayView line)
{
    if (m_encoding != Encoding::CodePage) {
        if (const std::optional<QString> name = utf8Text(line)) {
            if (m_encoding == Encoding::Undecided && !isAscii(line))
                m_undecided.append({m_names->size(), Line{m_number, line.toByteArray()}});
            append(*name);
            return std::nullopt;
        }
        if (m_encoding == Encoding::Utf8 || consoleCodePage() == 0) {
            return malformed(m_number, QStringLiteral(", \"%1\", is no UTF-8 text, so no file of exactly that name can be "
                                                      "opened.")
                                           .arg(escapedBytes(line)));
        }
        if (auto problem = readInCodePage())
            return problem;
    }
    ListProblem problem;
    const std::optional<QString> name = codePageName(line, m_number, &problem);
    if (!name)
        return problem;
    append(*name);
    return std::nullopt;
}

// The list is no UTF-8: from here on it is read in the console's code page, and so are the
// lines before, where that reads them otherwise.
std::optional<ListProblem> ListReader::readInCodePage()
{
    m_encoding = Encoding::CodePage;
    for (const auto &[index, line] : std::as_const(m_undecided)) {
        ListProblem problem;
        const std::optional<QString> name = codePageName(line.bytes, line.number, &problem);
        if (!name)
            return problem;
        (*m_names)[index] = *name;
    }
    m_undecided.clear();
    return std::nullopt;
}

std::optional<QString> ListReader::codePageName(QByteArrayView line, qint64 number, ListProblem *problem) const
{
    std::optional<QString> name = consoleCodePageText(line);
    if (!name) {
        *problem = malformed(number, QStringLiteral(", \"%1\", is neither UTF-8 nor text in the console's code page %2, so "
                                                    "no file of exactly that name can be opened.")
                                         .arg(escapedBytes(line))
                                         .arg(consoleCodePage()));
    }
    return name;
}

} // namespace

std::optional<ListProblem> readList(const QString &listPath, const JoinStop &stop, QStringList *names)
{
    QString reason;
    const std::unique_ptr<QIODevice> list = openInput(listPath, stop, &reason);
    if (stop.cancelled())
        return ListProblem{ListProblem::Kind::Stopped, {}};
    if (!list)
        return ListProblem{ListProblem::Kind::Unreadable, cannotReadMessage(listPath, reason)};
    return ListReader(listPath, names).read(*list, stop);
}
