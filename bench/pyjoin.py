"""pyjoin.py OUTPUT INPUT...: the benchmark's second reference, the same item-per-line join done
with Python's csv module: every field of every row as one CR LF line, an empty line for an
empty row, one more CR LF at the end. Bytes pass through as Latin-1."""

import csv
import sys


def main():
    output, inputs = sys.argv[1], sys.argv[2:]
    with open(output, "w", encoding="latin-1", newline="") as out:
        for path in inputs:
            with open(path, encoding="latin-1", newline="") as text:
                for row in csv.reader(text):
                    if not row:
                        out.write("\r\n")
                    for field in row:
                        out.write(field)
                        out.write("\r\n")
        out.write("\r\n")


if __name__ == "__main__":
    main()
