#include "helptext.h"

#include <QtGlobal>

namespace {

const char Usage[] = R"(Usage: quillmere-join -o OUTPUT [--files-from LIST]... [INPUT]...

Joins the INPUT files into the one file OUTPUT. Every input is read as comma-
and-line delimited data items, and every item becomes one line of OUTPUT,
ended by CR LF; one more CR LF closes OUTPUT.

An item ends at a comma or a line end (CR LF, LF or CR). Blanks (space, tab)
before an item are skipped. Quotes that enclose an item are removed; between
them, commas and line ends belong to the item and "" stands for one quote, and
text after the closing quote joins the item without the blanks around it.
Every other byte passes unchanged: nothing is converted between encodings,
and a byte-order mark stays part of the first item of its file. For example,
the input lines
    id,"Smith, Jo"
    7,  x y
become the output lines
    id
    Smith, Jo
    7
    x y
followed by one empty line.

)";

#ifdef Q_OS_WIN
const char Options[] = R"(  -o, --output OUTPUT   the file to write; - is the standard output. A file is
                        replaced only by a complete join, and keeps its
                        security, attributes and streams; one with more than
                        one link is written into in place, once the join is
                        complete, and no other join can write it meanwhile.
                        OUTPUT may be one of the inputs. NUL, CON and other
                        devices, and pipes, are written into.
  --files-from LIST     also join the files named in LIST, one a line: UTF-8
                        with or without a byte-order mark, UTF-16 with one,
                        or else text in the console's code page, as
                        dir /b > LIST writes it; LF or CR LF line ends, empty
                        lines skipped, at most 64 KiB a line. LIST - is the
                        standard input. May be given repeatedly.
  -h, --help, /?        show this help and exit
  --version             show the version and exit

INPUT - is the standard input. A folder stands for the files directly inside
it, not hidden ones, in natural order ("part2" before "part10"). * and ? in
the last part of an INPUT match names as in other Windows programs: the
files and folders that match, not hidden ones, in natural order; a pattern
that matches nothing is an error.
)";
const char Stops[] = R"(
Ctrl+C, Ctrl+Break and closing the console stop the join, even one that waits
for the standard input or a pipe, and end the program with exit status
0xC000013A, as Windows programs stopped by Ctrl+C do. OUTPUT is left as it
was, unless it was already being replaced: that is then completed. No
temporary file is left behind.
)";
#else
const char Options[] = R"(  -o, --output OUTPUT   the file to write; - is the standard output. The file
                        that opening OUTPUT reaches is written, symbolic links
                        followed. A regular file is replaced only by a
                        complete join, and keeps its owner, group, every mode
                        bit (set-ID and sticky too), ACLs and extended
                        attributes. One with more than one link, or that a
                        new file cannot be made exactly like, is written
                        into in place once the join is complete, under a
                        lock that keeps other joins out. OUTPUT may be one
                        of the inputs. A device or pipe is written into; a
                        folder or a socket is refused.
  --files-from LIST     also join the files named in LIST, one a line: UTF-8
                        with or without a byte-order mark, or UTF-16 with
                        one; LF or CR LF line ends, empty lines skipped, at
                        most 64 KiB a line. LIST - is the standard input. May
                        be given repeatedly.
  -h, --help            show this help and exit
  --version             show the version and exit

INPUT - is the standard input. A folder stands for the files directly inside
it, not hidden ones, in natural order ("part2" before "part10").
)";
const char Stops[] = R"(
SIGINT, SIGTERM and SIGHUP stop the join, even one that waits for a pipe, and
end the program by that signal. OUTPUT is left as it was, unless it was already
being replaced: that is then completed.
)";
#endif

const char Order[] = R"(
Order: first the INPUTs in the order given, then the paths of each LIST, in
the order of the --files-from options. A path given twice is read twice.
Every input is checked before the first byte is read.

Exit status: 0 when OUTPUT was written; 1 when a file could not be read or
written (one line on standard error says which and why; OUTPUT is left as it
was); 2 on a usage error, such as an unknown option or a list line that
names no file.
)";

} // namespace

QString helpText()
{
    return QString::fromUtf8(Usage) + QString::fromUtf8(Options) + QString::fromUtf8(Order) + QString::fromUtf8(Stops);
}
