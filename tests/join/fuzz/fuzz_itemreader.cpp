// Fuzz target for the item reader: the streaming reader, fed in chunks cut where the input says,
// must give the very items that a plain reading of the same rules gives, and never read outside
// the chunk it is given. It is run as a sink of items, which only the general path serves, and
// as a sink of lines, as the join uses it, on each machine the reader offers: the fastest code,
// the architecture's baseline, and the portable code.
//
// The first byte of the input chooses the cuts; the rest is the file.

#include "itemreader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Items = std::vector<std::string>;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDelimiter(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

// The reading rules, the obvious way: the whole file at hand, one byte at a time.
Items referenceItems(const std::string &in)
{
    Items items;
    std::size_t i = 0;
    const std::size_t n = in.size();
    while (i < n) {
        std::string item;
        while (i < n && isBlank(in[i]))
            ++i;
        if (i < n && in[i] == '"') {
            for (++i; i < n; ++i) {
                if (in[i] != '"') {
                    item += in[i];
                } else if (i + 1 < n && in[i + 1] == '"') {
                    item += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            std::string after;
            while (i < n && !isDelimiter(in[i]))
                after += in[i++];
            const std::size_t first = after.find_first_not_of(" \t");
            if (first != std::string::npos)
                item += after.substr(first, after.find_last_not_of(" \t") + 1 - first);
        } else {
            while (i < n && !isDelimiter(in[i]))
                item += in[i++];
        }
        if (i < n)
            i += in[i] == '\r' && i + 1 < n && in[i + 1] == '\n' ? 2 : 1;
        items.push_back(item);
    }
    return items;
}

void fail(const char *what)
{
    std::fprintf(stderr, "item reader: %s\n", what);
    std::abort();
}

// Gathers what the reader hands over and holds it to the sink's contract.
class CheckingSink final : public ItemSink
{
public:
    void itemData(const char *data, std::size_t size) override
    {
        if (size == 0)
            fail("itemData() with nothing");
        m_current.append(data, size);
        m_open = true;
    }

    void itemEnd() override
    {
        found.push_back(m_current);
        m_current.clear();
        m_open = false;
    }

    void item(const char *data, std::size_t size) override
    {
        if (m_open)
            fail("item() inside an item");
        found.emplace_back(data, size);
    }

    Items found;

private:
    std::string m_current;
    bool m_open = false;
};

// Gathers the joined lines, each item's bytes then CR LF, however they come: most through
// lineSpace(), whose room is a heap block of its own exact size, so that any write past it is
// caught.
class LineSink final : public ItemSink
{
public:
    void itemData(const char *data, std::size_t size) override
    {
        if (size == 0)
            fail("itemData() with nothing");
        lines.append(data, size);
    }

    void itemEnd() override { lines += "\r\n"; }

    char *lineSpace(std::size_t size) override
    {
        if (size > MaxLineSpace)
            fail("lineSpace() asked for too much");
        m_room = std::make_unique<char[]>(size);
        m_roomSize = size;
        return m_room.get();
    }

    void linesWritten(std::size_t size) override
    {
        if (!m_room || size > m_roomSize)
            fail("linesWritten() beyond the room");
        lines.append(m_room.get(), size);
        m_room.reset();
    }

    std::string lines;

private:
    std::unique_ptr<char[]> m_room;
    std::size_t m_roomSize = 0;
};

// Each chunk is copied to a heap block of its own exact size, so that any read past its end is
// caught.
void feedInChunks(ItemReader &reader, const std::string &file, std::uint8_t cutting)
{
    std::uint32_t random = cutting * 2654435761u + 1;
    std::size_t at = 0;
    while (at < file.size()) {
        std::size_t size = file.size() - at;
        if (cutting == 1) {
            size = 1;
        } else if (cutting > 1) {
            random ^= random << 13;
            random ^= random >> 17;
            random ^= random << 5;
            // Mostly chunks long enough for the reader's block-wise path, now and then short ones.
            size = std::min<std::size_t>(size, random % 4 == 0 ? 1 + random % 7 : 1 + random % 300);
        }
        const std::vector<char> chunk(file.begin() + static_cast<std::ptrdiff_t>(at),
                                      file.begin() + static_cast<std::ptrdiff_t>(at + size));
        reader.feed(chunk.data(), chunk.size());
        at += size;
    }
    reader.finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string file(reinterpret_cast<const char *>(data) + 1, size - 1);
    const Items expected = referenceItems(file);
    std::string expectedLines;
    for (const std::string &item : expected)
        expectedLines += item + "\r\n";

    CheckingSink sink;
    ItemReader reader(sink);
    feedInChunks(reader, file, data[0]);
    if (sink.found != expected)
        fail("items differ from the reference reading");

    // The same reader goes on with the next file as if new.
    sink.found.clear();
    feedInChunks(reader, file, static_cast<std::uint8_t>(data[0] + 1));
    if (sink.found != expected)
        fail("items differ when the reader reads a second file");

    for (const ItemReader::Machine machine :
         {ItemReader::Machine::Fastest, ItemReader::Machine::Baseline, ItemReader::Machine::Portable}) {
        LineSink lineSink;
        ItemReader lineReader(lineSink, machine);
        feedInChunks(lineReader, file, data[0]);
        if (lineSink.lines != expectedLines)
            fail("lines differ from the reference reading");
        lineSink.lines.clear();
        feedInChunks(lineReader, file, static_cast<std::uint8_t>(data[0] + 1));
        if (lineSink.lines != expectedLines)
            fail("lines differ when the reader reads a second file");
    }
    return 0;
}
