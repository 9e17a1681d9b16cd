#include "itemreader.h"

#include <QtCore/QByteArray>
#include <QtCore/QList>
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

QList<QByteArray> readInChunks(const QByteArray &input, const QList<qsizetype> &cuts)
{
    CollectingSink sink;
    ItemReader reader(sink);
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        reader.feed(input.constData() + from, static_cast<std::size_t>(cut - from));
        from = cut;
    }
    reader.feed(input.constData() + from, static_cast<std::size_t>(input.size() - from));
    reader.finish();
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
}

void tst_ItemReader::blocks_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<QByteArray>>("expected");

    QTest::addRow("plain") << QByteArray("ab,c,,def\r\n") << QList<QByteArray>{"ab", "c", "", "def"};
    QTest::addRow("LF") << QByteArray("ab,c\n") << QList<QByteArray>{"ab", "c"};
    QTest::addRow("lone CR") << QByteArray("a\rb\r") << QList<QByteArray>{"a", "b"};
    QTest::addRow("LF CR") << QByteArray("a\n\r") << QList<QByteArray>{"a", ""};
    QTest::addRow("quoted") << QByteArray("\"x,y\",\"\"\n") << QList<QByteArray>{"x,y", ""};
    QTest::addRow("quoted line end") << QByteArray("\"a\r\nb\",c\r\n") << QList<QByteArray>{"a\r\nb", "c"};
    QTest::addRow("doubled quotes") << QByteArray("\"a\"\"b\"\"\",\"\"\"\"\r\n") << QList<QByteArray>{"a\"b\"", "\""};
    QTest::addRow("blanks") << QByteArray("  a, \"b\",\t\n") << QList<QByteArray>{"a", "b", ""};
    QTest::addRow("text after quote") << QByteArray("\"q\" ,\"a\"b c \n") << QList<QByteArray>{"q", "ab c"};
    QTest::addRow("long item") << QByteArray(100, 'x') + ",y\n" << QList<QByteArray>{QByteArray(100, 'x'), "y"};
    QTest::addRow("long quoted") << "\"" + QByteArray(70, ',') + "\"\n" << QList<QByteArray>{QByteArray(70, ',')};
}

// Inputs long enough for the block-wise fast path, shifted through every offset against the
// blocks, so that each delimiter, quote and blank also lands on a block's first and last byte.
void tst_ItemReader::blocks()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<QByteArray>, expected);

    const int times = 256 / static_cast<int>(line.size()) + 2;
    for (int shift = 0; shift < 64; ++shift) {
        const QByteArray input = QByteArray(shift, 'p') + "\n" + line.repeated(times);
        const QList<QByteArray> wanted = QList<QByteArray>{QByteArray(shift, 'p')} + repeated(expected, times);
        QVERIFY2(readInChunks(input, {}) == wanted, qPrintable(QStringLiteral("shift %1").arg(shift)));
        QVERIFY2(readInChunks(input, {input.size() / 2}) == wanted, qPrintable(QStringLiteral("shift %1, cut").arg(shift)));
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

// The blanks inside the text after a closing quote are held back as runs, not byte by byte.
void tst_ItemReader::longBlankRunsAfterAQuote()
{
    const QByteArray blanks = QByteArray(100000, ' ') + QByteArray(3, '\t') + QByteArray(70, ' ');
    const QByteArray input = "\"a\"b" + blanks + "c" + blanks + ",d";
    QCOMPARE(readInChunks(input, {4, 5000, 100090}), (QList<QByteArray>{"ab" + blanks + "c", "d"}));
}

QTEST_APPLESS_MAIN(tst_ItemReader)
#include "tst_itemreader.moc"
