// quillmere-makecorpus DIR [BYTES] [FILES]: writes the benchmark's input files.
//
// The same arguments always give the same bytes, so figures from two machines or two versions
// compare. The mix is meant to look like real exports: mostly short unquoted fields, some quoted
// ones with commas, doubled quotes and line ends inside, empty fields, blanks before fields, and
// both CR LF and LF line ends.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-./";
    for (unsigned i = 0; i < length; ++i)
        out += letters[random.below(sizeof letters - 1)];
}

void appendField(std::string &out, Random &random)
{
    const unsigned kind = random.below(100);
    if (kind < 10)
        return; // empty
    if (kind < 15)
        out += "  "; // blanks before the field, skipped by the reader
    if (kind < 82) {
        appendWord(out, random, 1 + random.below(14));
        return;
    }
    out += '"';
    appendWord(out, random, 1 + random.below(10));
    switch (random.below(4)) {
    case 0: out += ", "; break;
    case 1: out += "\"\""; break;
    case 2: out += "\r\n"; break;
    default: out += ' '; break;
    }
    appendWord(out, random, 1 + random.below(10));
    out += '"';
}

bool writeFile(const std::string &path, std::uint64_t size, std::uint64_t seed)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    Random random(seed);
    const char *lineEnd = seed % 2 == 0 ? "\r\n" : "\n";
    std::string buffer;
    std::uint64_t written = 0;
    while (written < size) {
        buffer.clear();
        while (buffer.size() < (1u << 20)) {
            const unsigned fields = 1 + random.below(12);
            for (unsigned i = 0; i < fields; ++i) {
                if (i != 0)
                    buffer += ',';
                appendField(buffer, random);
            }
            // Now and then a file changes its line ends, as files pasted together do.
            if (random.below(1000) == 0)
                lineEnd = lineEnd[0] == '\r' ? "\n" : "\r\n";
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
