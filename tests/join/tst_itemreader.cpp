#include "itemreader.h"

#include <QByteArray>
#include <QList>
#include <QtTest/QTest>

namespace {

// Gathers the items, and checks on the way that the reader keeps the sink's contract.
class CollectingSink final : public ItemSink
{
public:
    void itemData(const char *data, std::size_t size) override
    {
        QVERIFY2(size != 0, "itemData() with nothing");
        m_current.append(data, static_cast<qsizetype>(size));
        m_open = true;
    }

    void itemEnd() override
    {
        items.append(m_current);
        m_current.clear();
        m_open = false;
    }

    void item(const char *data, std::size_t size) override
    {
        QVERIFY2(!m_open, "item() inside an item");
        items.append(QByteArray(data, static_cast<qsizetype>(size)));
    }

    QList<QByteArray> items;

private:
    QByteArray m_current;
    bool m_open = false;
};

// Gathers the joined lines, each item's bytes then CR LF, as the join's writer takes them: most
// written by the reader into lineSpace(). Notes any breach of the sink's contract.
class LineSink final : public ItemSink
{
public:
    void itemData(const char *data, std::size_t size) override
    {
        if (size == 0)
            breach = "itemData() with nothing";
        lines.append(data, static_cast<qsizetype>(size));
    }

    void itemEnd() override { lines.append("\r\n"); }

    char *lineSpace(std::size_t size) override
    {
        if (size > MaxLineSpace)
            breach = "lineSpace() asked for too much";
        m_room = QByteArray(static_cast<qsizetype>(size), '?');
        return m_room.data();
    }

    void linesWritten(std::size_t size) override
    {
        if (size > static_cast<std::size_t>(m_room.size()))
            breach = "linesWritten() beyond the room";
        lines.append(m_room.constData(), static_cast<qsizetype>(size));
        blockWise += static_cast<qsizetype>(size);
        m_room.clear();
    }

    QByteArray lines;
    qsizetype blockWise = 0; ///< bytes of the lines that came through lineSpace()
    QByteArray breach;

private:
    QByteArray m_room;
};

const ItemReader::Machine kMachines[] = {ItemReader::Machine::Fastest, ItemReader::Machine::Baseline,
                                         ItemReader::Machine::Portable};

QByteArray machineName(ItemReader::Machine machine)
{
    return machine == ItemReader::Machine::Fastest    ? "fastest"
           : machine == ItemReader::Machine::Baseline ? "baseline"
                                                      : "portable";
}

QByteArray joined(const QList<QByteArray> &items)
{
    QByteArray lines;
    for (const QByteArray &item : items)
        lines += item + "\r\n";
    return lines;
}

void feedInChunks(ItemReader &reader, const QByteArray &input, const QList<qsizetype> &cuts)
{
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        reader.feed(input.constData() + from, static_cast<std::size_t>(cut - from));
        from = cut;
    }
    reader.feed(input.constData() + from, static_cast<std::size_t>(input.size() - from));
    reader.finish();
}

// The lines that a sink of lines gets; a breach of the contract, if any, instead.
QByteArray readLines(const QByteArray &input, const QList<qsizetype> &cuts, ItemReader::Machine machine,
                     qsizetype *blockWise = nullptr)
{
    LineSink sink;
    ItemReader reader(sink, machine);
    feedInChunks(reader, input, cuts);
    if (blockWise != nullptr)
        *blockWise = sink.blockWise;
    return sink.breach.isEmpty() ? sink.lines : "breach: " + sink.breach;
}

QList<QByteArray> readInChunks(const QByteArray &input, const QList<qsizetype> &cuts)
{
    CollectingSink sink;
    ItemReader reader(sink);
    feedInChunks(reader, input, cuts);
    return sink.items;
}

QList<QByteArray> repeated(const QList<QByteArray> &items, int times)
{
    QList<QByteArray> all;
    for (int i = 0; i < times; ++i)
        all += items;
    return all;
}

} // namespace

class tst_ItemReader : public QObject
{
    Q_OBJECT

private slots:
    void items_data();
    void items();
    void blocks_data();
    void blocks();
    void blockWiseFileEnds_data();
    void blockWiseFileEnds();
    void readerServesTheNextFile();
    void itemsArriveAsTheyAreRead();
    void longBlankRunsAfterAQuote();
};

void tst_ItemReader::items_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::addRow("empty file") << QByteArray() << QList<QByteArray>{};
    QTest::addRow("one line end") << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::addRow("one LF") << QByteArray("\n") << QList<QByteArray>{""};
    QTest::addRow("one CR") << QByteArray("\r") << QList<QByteArray>{""};
    QTest::addRow("one blank") << QByteArray(" ") << QList<QByteArray>{""};
    QTest::addRow("one comma") << QByteArray(",") << QList<QByteArray>{""};
    QTest::addRow("one quote") << QByteArray("\"") << QList<QByteArray>{""};
    QTest::addRow("no final line end") << QByteArray("word") << QList<QByteArray>{"word"};
    QTest::addRow("word and CR LF") << QByteArray("word\r\n") << QList<QByteArray>{"word"};
    QTest::addRow("three fields") << QByteArray("a,b,c\r\n") << QList<QByteArray>{"a", "b", "c"};
    QTest::addRow("blank lines") << QByteArray("a\r\n\r\nb\r\n\r\n") << QList<QByteArray>{"a", "", "b", ""};
    QTest::addRow("LF only") << QByteArray("a\nb\n") << QList<QByteArray>{"a", "b"};
    QTest::addRow("CR only") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"};
    QTest::addRow("LF CR is two line ends") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
    QTest::addRow("mixed line ends") << QByteArray("a\r\nb\nc\rd") << QList<QByteArray>{"a", "b", "c", "d"};
    QTest::addRow("comma before the end") << QByteArray("a,") << QList<QByteArray>{"a"};
    QTest::addRow("comma before a line end") << QByteArray("a,\r\n") << QList<QByteArray>{"a", ""};
    QTest::addRow("empty fields") << QByteArray(",,\n") << QList<QByteArray>{"", "", ""};
    QTest::addRow("blanks before items") << QByteArray("  a,\tb") << QList<QByteArray>{"a", "b"};
    QTest::addRow("blanks after unquoted kept") << QByteArray("a  ,b\t\n") << QList<QByteArray>{"a  ", "b\t"};
    QTest::addRow("blanks-only line") << QByteArray(" \t \r\nx") << QList<QByteArray>{"", "x"};
    QTest::addRow("blanks at the end") << QByteArray("a\n  ") << QList<QByteArray>{"a", ""};
    QTest::addRow("blanks before a comma") << QByteArray("  ,x") << QList<QByteArray>{"", "x"};
    QTest::addRow("vertical tab is no blank") << QByteArray("\va") << QList<QByteArray>{"\va"};
    QTest::addRow("quote inside unquoted") << QByteArray("ab\"c,d\"") << QList<QByteArray>{"ab\"c", "d\""};
    QTest::addRow("quoted comma") << QByteArray("\"x, y\",z\n") << QList<QByteArray>{"x, y", "z"};
    QTest::addRow("quoted line ends") << QByteArray("\"a\r\nb\rc\",d") << QList<QByteArray>{"a\r\nb\rc", "d"};
    QTest::addRow("doubled quotes") << QByteArray("\"a\"\"b\"\"\"\n") << QList<QByteArray>{"a\"b\""};
    QTest::addRow("only a doubled quote") << QByteArray("\"\"\"\"") << QList<QByteArray>{"\""};
    // A doubled quote stands for one and the item goes on, past a comma too, as spreadsheets
    // write escaped quotes: not an item that ends at the next quote.
    QTest::addRow("doubled quote, then a comma, in one item") << QByteArray("\"a\"\",b\",c") << QList<QByteArray>{"a\",b", "c"};
    QTest::addRow("empty quoted") << QByteArray("\"\",x") << QList<QByteArray>{"", "x"};
    QTest::addRow("blanks before quoted") << QByteArray(" \t\"a\"\n") << QList<QByteArray>{"a"};
    QTest::addRow("quoted at the end") << QByteArray("\"a\"") << QList<QByteArray>{"a"};
    QTest::addRow("text after the quote") << QByteArray("\"ab\"cd,e") << QList<QByteArray>{"abcd", "e"};
    QTest::addRow("blank after the quote") << QByteArray("\"q\" ,x") << QList<QByteArray>{"q", "x"};
    QTest::addRow("text after the quote trimmed")
        << QByteArray("\"a\" \tb  c \t,d") << QList<QByteArray>{"ab  c", "d"};
    QTest::addRow("quote in the text after") << QByteArray("\"a\"b\"c\n") << QList<QByteArray>{"ab\"c"};
    QTest::addRow("text after the quote at the end") << QByteArray("\"a\" b \t") << QList<QByteArray>{"ab"};
    QTest::addRow("unclosed quote") << QByteArray("\"ab,c\r\nd") << QList<QByteArray>{"ab,c\r\nd"};
    QTest::addRow("unclosed after doubled") << QByteArray("\"a\"\"b") << QList<QByteArray>{"a\"b"};
    QTest::addRow("NUL bytes") << QByteArray("a\0b,\0\n", 6) << QList<QByteArray>{QByteArray("a\0b", 3), QByteArray(1, '\0')};
    QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBF" "a,b") << QList<QByteArray>{"\xEF\xBB\xBF" "a", "b"};
    QTest::addRow("byte-order mark before a quote")
        << QByteArray("\xEF\xBB\xBF\"a\"") << QList<QByteArray>{"\xEF\xBB\xBF\"a\""};
    QTest::addRow("UTF-8") << QByteArray("\xC3\xA9t\xC3\xA9,\xE2\x82\xAC") << QList<QByteArray>{"\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC"};
    QTest::addRow("no values converted")
        << QByteArray("007,2.50,#TRUE#,#NULL#\n") << QList<QByteArray>{"007", "2.50", "#TRUE#", "#NULL#"};
}

// Every row is read whole, a byte at a time, and cut in two at every position: a CR LF, a doubled
// quote or the blanks after a quote must come out the same wherever a chunk ends.
void tst_ItemReader::items()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<QByteArray>, expected);

    QCOMPARE(readInChunks(input, {}), expected);
    QList<qsizetype> everyByte;
    for (qsizetype i = 1; i < input.size(); ++i)
        everyByte.append(i);
    QCOMPARE(readInChunks(input, everyByte), expected);
    for (qsizetype cut = 0; cut <= input.size(); ++cut) {
        const QList<QByteArray> items = readInChunks(input, {cut});
        QVERIFY2(items == expected, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }

    const QByteArray lines = joined(expected);
    for (const ItemReader::Machine machine : kMachines) {
        QCOMPARE(readLines(input, {}, machine), lines);
        QCOMPARE(readLines(input, everyByte, machine), lines);
        for (qsizetype cut = 0; cut <= input.size(); ++cut)
            QVERIFY2(readLines(input, {cut}, machine) == lines, qPrintable(QStringLiteral("lines, cut at %1").arg(cut)));
    }
}

void tst_ItemReader::blocks_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<QByteArray>>("expected");
    QTest::addColumn<bool>("blockWise"); // whether the lines mostly come block-wise

    QTest::addRow("plain") << QByteArray("ab,c,,def\r\n") << QList<QByteArray>{"ab", "c", "", "def"} << true;
    QTest::addRow("LF") << QByteArray("ab,c\n") << QList<QByteArray>{"ab", "c"} << true;
    QTest::addRow("lone CR") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"} << true;
    QTest::addRow("LF CR") << QByteArray("a\n\r") << QList<QByteArray>{"a", ""} << true;
    QTest::addRow("CR CR LF") << QByteArray("a\r\r\n") << QList<QByteArray>{"a", ""} << true;
    QTest::addRow("blank lines") << QByteArray("\r\n\n\r") << QList<QByteArray>{"", "", ""} << true;
    QTest::addRow("empty fields") << QByteArray(",,,,,\r\n") << QList<QByteArray>{"", "", "", "", "", ""} << true;
    QTest::addRow("runs of commas") << QByteArray(20, ',') + "\n" << repeated({""}, 21) << true;
    QTest::addRow("runs of line ends")
        << QByteArray("\r\r\r\r\r\r\r\r\r\n\n\n\n\n\n\n\n\n\n\r") << repeated({""}, 19) << true;
    QTest::addRow("comma before a line end") << QByteArray("x,\r") << QList<QByteArray>{"x", ""} << true;
    QTest::addRow("quoted") << QByteArray("\"x,y\",\"\"\n") << QList<QByteArray>{"x,y", ""} << true;
    QTest::addRow("quoted line end") << QByteArray("\"a\r\nb\",c\r\n") << QList<QByteArray>{"a\r\nb", "c"} << true;
    QTest::addRow("quoted lone CR") << QByteArray("\"a\r\",\"\n\"\r") << QList<QByteArray>{"a\r", "\n"} << true;
    QTest::addRow("doubled quotes")
        << QByteArray("\"a\"\"b\"\"\",\"\"\"\"\r\n") << QList<QByteArray>{"a\"b\"", "\""} << true;
    QTest::addRow("doubled quotes only") << QByteArray("\"\"\"\"\"\"\n") << QList<QByteArray>{"\"\""} << true;
    QTest::addRow("blanks") << QByteArray("  a, \"b\",\t\n") << QList<QByteArray>{"a", "b", ""} << true;
    QTest::addRow("blanks-only items") << QByteArray(" , \t,\t\r\n") << QList<QByteArray>{"", "", ""} << true;
    QTest::addRow("blanks kept inside and after")
        << QByteArray("a b  ,\" c \"\n") << QList<QByteArray>{"a b  ", " c "} << true;
    QTest::addRow("blank runs before quotes")
        << QByteArray("      \t\t\"q\",        x\n") << QList<QByteArray>{"q", "x"} << true;
    QTest::addRow("table") << QByteArray("12,\"x, \"\"y\"\"\r\nz\",, \tw,\"\",last\r\n")
                           << QList<QByteArray>{"12", "x, \"y\"\r\nz", "", "w", "", "last"} << true;
    QTest::addRow("NUL and high bytes") << QByteArray("\0\xFF,\"\xEF\xBB\xBF\0\"\n", 10)
                                        << QList<QByteArray>{QByteArray("\0\xFF", 2), QByteArray("\xEF\xBB\xBF\0", 4)}
                                        << true;
    QTest::addRow("long item") << QByteArray(100, 'x') + ",y\n" << QList<QByteArray>{QByteArray(100, 'x'), "y"} << true;
    QTest::addRow("long quoted") << "\"" + QByteArray(70, ',') + "\"\n" << QList<QByteArray>{QByteArray(70, ',')} << true;
    QTest::addRow("long quoted with line ends")
        << "\"" + QByteArray("\r\n,\"\"\r\n").repeated(20) + "\"\r\n"
        << QList<QByteArray>{QByteArray("\r\n,\"\r\n").repeated(20)} << true;
    QTest::addRow("quote inside unquoted") << QByteArray("ab\"c,d\"\"\n") << QList<QByteArray>{"ab\"c", "d\"\""} << true;
    QTest::addRow("quote inside a long unquoted item")
        << "ab\"" + QByteArray(70, 'c') + "\n" << QList<QByteArray>{"ab\"" + QByteArray(70, 'c')} << true;
    QTest::addRow("quotes inside unquoted among quoted items")
        << QByteArray("5'10\",\"a,\"\"b\",x\"y\"z,\"\"\r\n")
        << QList<QByteArray>{"5'10\"", "a,\"b", "x\"y\"z", ""} << true;
    // Lines that the quotes' running parity cannot read: they go the general way.
    QTest::addRow("text after quote") << QByteArray("\"q\" ,\"a\"b c \n") << QList<QByteArray>{"q", "ab c"} << false;
    QTest::addRow("quote in the text after a quote")
        << QByteArray("a\"b,\"c\"d\"e,\"f\"\n") << QList<QByteArray>{"a\"b", "cd\"e", "f"} << false;
    QTest::addRow("text after a quote among plain items")
        << "\"a\" b ," + QByteArray(60, 'x') + "\n" << QList<QByteArray>{"ab", QByteArray(60, 'x')} << false;
    QTest::addRow("quote after blanks after quote")
        << QByteArray("\"a\" \"b\",c\n") << QList<QByteArray>{"a\"b\"", "c"} << false;
}

// Inputs long enough for the block-wise path, shifted through every offset against the blocks,
// so that each delimiter, quote and blank also lands on a block's first and last byte, and cut
// in two at every position, so that each also lands at a chunk's end.
void tst_ItemReader::blocks()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<QByteArray>, expected);
    QFETCH(bool, blockWise);

    const int times = 256 / static_cast<int>(line.size()) + 2;
    for (int shift = 0; shift < 64; ++shift) {
        const QByteArray input = QByteArray(shift, 'p') + "\n" + line.repeated(times);
        const QList<QByteArray> wanted = QList<QByteArray>{QByteArray(shift, 'p')} + repeated(expected, times);
        QVERIFY2(readInChunks(input, {}) == wanted, qPrintable(QStringLiteral("shift %1").arg(shift)));
        QVERIFY2(readInChunks(input, {input.size() / 2}) == wanted, qPrintable(QStringLiteral("shift %1, cut").arg(shift)));

        const QByteArray lines = joined(wanted);
        for (const ItemReader::Machine machine : kMachines) {
            const QString where = QStringLiteral("%1, shift %2").arg(machineName(machine)).arg(shift);
            qsizetype blockWiseBytes = 0;
            QVERIFY2(readLines(input, {}, machine, &blockWiseBytes) == lines, qPrintable(where));
            if (blockWise)
                QVERIFY2(blockWiseBytes >= lines.size() / 2, qPrintable(where + QStringLiteral(": not block-wise")));
            for (qsizetype cut = 0; cut <= input.size(); ++cut)
                QVERIFY2(readLines(input, {cut}, machine) == lines, qPrintable(where + QStringLiteral(", cut at %1").arg(cut)));
        }
    }
}

// How a file ends after a stretch read block-wise: whatever state the blocks leave must end the
// file as the rules say.
void tst_ItemReader::blockWiseFileEnds_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::addRow("nothing more") << QByteArray() << QList<QByteArray>{};
    QTest::addRow("an item") << QByteArray("last") << QList<QByteArray>{"last"};
    QTest::addRow("a long item") << QByteArray(150, 'x') << QList<QByteArray>{QByteArray(150, 'x')};
    QTest::addRow("a comma") << QByteArray("a,") << QList<QByteArray>{"a"};
    QTest::addRow("a CR") << QByteArray("a\r") << QList<QByteArray>{"a"};
    QTest::addRow("a blank line") << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::addRow("blanks") << QByteArray("a,") + QByteArray(100, ' ') << QList<QByteArray>{"a", ""};
    QTest::addRow("blanks on a line") << QByteArray(" \t ") << QList<QByteArray>{""};
    QTest::addRow("a closing quote") << QByteArray("\"ab\"") << QList<QByteArray>{"ab"};
    QTest::addRow("an unclosed quote")
        << "\"" + QByteArray("a,\r\n\"\"b\r").repeated(15) << QList<QByteArray>{QByteArray("a,\r\n\"b\r").repeated(15)};
    QTest::addRow("a doubled quote unclosed") << QByteArray("\"a\"\"") << QList<QByteArray>{"a\""};
    QTest::addRow("text after a quote") << QByteArray("\"a\" b \t") << QList<QByteArray>{"ab"};
}

void tst_ItemReader::blockWiseFileEnds()
{
    QFETCH(QByteArray, ending);
    QFETCH(QList<QByteArray>, expected);

    const QByteArray line = "12,\"x,\r\ny\", z\r\n";
    const QList<QByteArray> items = {"12", "x,\r\ny", "z"};
    for (int shift = 0; shift < 64; ++shift) {
        const QByteArray input = QByteArray(shift, 'p') + "\n" + line.repeated(12) + ending;
        const QList<QByteArray> wanted = QList<QByteArray>{QByteArray(shift, 'p')} + repeated(items, 12) + expected;
        QVERIFY2(readInChunks(input, {}) == wanted, qPrintable(QStringLiteral("shift %1").arg(shift)));
        const QByteArray lines = joined(wanted);
        for (const ItemReader::Machine machine : kMachines) {
            const QString where = QStringLiteral("%1, shift %2").arg(machineName(machine)).arg(shift);
            QVERIFY2(readLines(input, {}, machine) == lines, qPrintable(where));
            for (qsizetype cut = 0; cut <= input.size(); ++cut)
                QVERIFY2(readLines(input, {cut}, machine) == lines, qPrintable(where + QStringLiteral(", cut at %1").arg(cut)));
        }
    }
}

void tst_ItemReader::readerServesTheNextFile()
{
    CollectingSink sink;
    ItemReader reader(sink);
    reader.feed("\"open", 5);
    reader.finish();
    reader.feed("a\r", 2);
    reader.finish();
    reader.feed("\nb", 2); // a new file: this LF is a line end of its own
    reader.finish();
    QCOMPARE(sink.items, (QList<QByteArray>{"open", "a", "", "b"}));
}

// An unclosed quote must not be gathered until the end of the file: its bytes go on as fed.
void tst_ItemReader::itemsArriveAsTheyAreRead()
{
    class CountingSink final : public ItemSink
    {
    public:
        void itemData(const char *, std::size_t size) override { bytes += size; }
        void itemEnd() override { ++items; }
        std::size_t bytes = 0;
        int items = 0;
    } sink;
    ItemReader reader(sink);
    const QByteArray chunk(1 << 16, 'q');
    reader.feed("\"", 1);
    for (int i = 0; i < 64; ++i) {
        reader.feed(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        QCOMPARE(sink.bytes, static_cast<std::size_t>(chunk.size()) * static_cast<std::size_t>(i + 1));
    }
    QCOMPARE(sink.items, 0);
    reader.finish();
    QCOMPARE(sink.items, 1);
}

// The blanks inside the text after a closing quote are held back, and come out as they were.
void tst_ItemReader::longBlankRunsAfterAQuote()
{
    const QByteArray blanks = QByteArray(100000, ' ') + QByteArray(3, '\t') + QByteArray(70, ' ');
    const QByteArray input = "\"a\"b" + blanks + "c" + blanks + ",d";
    QCOMPARE(readInChunks(input, {4, 5000, 100090}), (QList<QByteArray>{"ab" + blanks + "c", "d"}));
}

QTEST_APPLESS_MAIN(tst_ItemReader)
#include "tst_itemreader.moc"
