#!/bin/sh
# run-fuzz.sh FUZZER DICTIONARY: fuzzes the item reader, as a test: a fixed number of runs from
# a fixed seed, so that every machine tries the same inputs however fast it is.
# Exits 77, which CTest counts as skipped, where no fuzz target could be built (no clang with
# libFuzzer). A failing input is written to the working folder as crash-<hash>.
set -u
fuzzer=$1
dictionary=$2
if [ ! -x "$fuzzer" ]; then
    echo "no fuzz target: clang with libFuzzer was not found when the build was configured"
    exit 77
fi
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
"$fuzzer" -seed=1 -runs="${QUILLMERE_FUZZ_RUNS:-200000}" -max_len=4096 \
    -dict="$dictionary" -print_final_stats=1 "$corpus"
