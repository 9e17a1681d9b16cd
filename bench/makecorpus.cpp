// quillmere-makecorpus DIR [BYTES] [FILES]: writes the benchmark's input files.
//
// The same arguments always give the same bytes, so figures from two machines or two versions
// compare. The files are meant to look like exported tables: each has its own columns, and a
// column keeps its kind (numbers, words, quoted text with commas, doubled quotes and now and then
// a line end inside), with empty cells everywhere; some files put a blank after each comma, and
// the files end their lines in CR LF or LF.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and fully determined by its seed.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }

private:
    std::uint64_t m_state;
};

void appendWord(std::string &out, Random &random, unsigned length)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (unsigned i = 0; i < length; ++i)
        out += letters[random.below(sizeof letters - 1)];
}

void appendNumber(std::string &out, Random &random)
{
    for (unsigned i = 1 + random.below(9); i > 0; --i)
        out += static_cast<char>('0' + random.below(10));
    if (random.below(3) == 0) {
        out += '.';
        out += static_cast<char>('0' + random.below(10));
        out += static_cast<char>('0' + random.below(10));
    }
}

void appendText(std::string &out, Random &random)
{
    out += '"';
    for (unsigned words = 1 + random.below(5); words > 0; --words) {
        appendWord(out, random, 1 + random.below(9));
        if (words == 1)
            break;
        const unsigned kind = random.below(100);
        out += kind < 15 ? ", " : kind < 20 ? "\"\" " : kind < 22 ? "\r\n" : " ";
    }
    out += '"';
}

enum class Column { Number, Word, Text };

void appendCell(std::string &out, Random &random, Column column)
{
    if (random.below(100) < 8)
        return; // an empty cell
    switch (column) {
    case Column::Number: appendNumber(out, random); break;
    case Column::Word: appendWord(out, random, 2 + random.below(10)); break;
    case Column::Text: appendText(out, random); break;
    }
}

bool writeFile(const std::string &path, std::uint64_t size, std::uint64_t seed)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    Random random(seed);
    std::vector<Column> columns(3 + random.below(10));
    for (Column &column : columns) {
        const unsigned kind = random.below(100);
        column = kind < 40 ? Column::Number : kind < 75 ? Column::Word : Column::Text;
    }
    const char *separator = random.below(6) == 0 ? ", " : ",";
    const char *lineEnd = seed % 2 == 0 ? "\r\n" : "\n";
    std::string buffer;
    std::uint64_t written = 0;
    while (written < size) {
        buffer.clear();
        while (buffer.size() < (1u << 20)) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i != 0)
                    buffer += separator;
                appendCell(buffer, random, columns[i]);
            }
            buffer += lineEnd;
        }
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - written));
        if (std::fwrite(buffer.data(), 1, count, file) != count) {
            std::perror(path.c_str());
            std::fclose(file);
            return false;
        }
        written += count;
    }
    return std::fclose(file) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2 || argc > 4) {
        std::fputs("usage: quillmere-makecorpus DIR [BYTES] [FILES]\n", stderr);
        return 2;
    }
    const std::string folder = argv[1];
    const std::uint64_t total = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : (1ULL << 30);
    const unsigned files = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 40;
    if (files == 0) {
        std::fputs("quillmere-makecorpus: FILES must be at least 1\n", stderr);
        return 2;
    }
    for (unsigned i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/part-%03u.csv", i + 1);
        const std::uint64_t size = total / files + (i < total % files ? 1 : 0);
        if (!writeFile(folder + name, size, i + 1))
            return 1;
    }
    return 0;
}
