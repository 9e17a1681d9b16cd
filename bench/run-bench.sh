#!/bin/sh
# run-bench.sh BUILD_DIR [BYTES]: the join benchmark behind `make bench`.
#
# Writes a deterministic corpus (1 GiB in 40 files unless BYTES or QUILLMERE_BENCH_BYTES says
# otherwise), then, round after round, joins it with quillmere-join and copies it with cat into
# the same folder, and prints throughput, the ratio of our wall time to cat's and our peak
# resident memory; with python3 at hand, also a join by Python's csv module as a second
# reference. Goals: at most 1.5 x cat's wall time, under 64 MiB, at least 20 x Python's speed.
#
# quillmere-join flushes its output to the disk before it replaces the old file, and cat does not.
# So each round also times cat followed by the same flush (fdatasync), and quillmere-join with
# the flush calls turned into no-ops by a preloaded library (libquillmere-nosync.so, Linux): like
# is compared with like, and the difference is what the crash safety costs.
#
# Settings: QUILLMERE_BENCH_FILES (40), QUILLMERE_BENCH_ROUNDS (3), QUILLMERE_BENCH_DIR (where
# a folder for the corpus and the outputs is made and removed at the end; BUILD_DIR), and
# QUILLMERE_BENCH_PYTHON=0 to skip the Python run.
set -eu

build=${1:?usage: run-bench.sh BUILD_DIR [BYTES]}
bytes=${2:-${QUILLMERE_BENCH_BYTES:-1073741824}}
files=${QUILLMERE_BENCH_FILES:-40}
rounds=${QUILLMERE_BENCH_ROUNDS:-3}
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$build" ]; then
    echo "run-bench: no build folder $build; build first (make build)" >&2
    exit 1
fi

join=$build/quillmere-join
makecorpus=$build/quillmere-makecorpus
measure=$build/quillmere-measure
nosync=$(cd "$build" && pwd)/libquillmere-nosync.so
for tool in "$join" "$makecorpus" "$measure" "$nosync"; do
    if [ ! -f "$tool" ]; then
        echo "run-bench: $tool is missing; build first (make build)" >&2
        exit 1
    fi
done

work=$(mktemp -d "${QUILLMERE_BENCH_DIR:-$build}/bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
trap 'exit 130' INT TERM

echo "Writing the corpus: $bytes bytes in $files files..."
"$makecorpus" "$work/corpus" "$bytes" "$files"
set -- "$work"/corpus/*.csv
cat "$@" >/dev/null # into the page cache, so that every round reads it from memory

# timed OUTPUT COMMAND...: prints "wall-seconds peak-KiB cpu-seconds"; flushes what others wrote
# first, so that no run pays for the one before.
timed() {
    out=$1
    shift
    rm -f "$out"
    sync
    "$measure" "$@"
}

field() { echo "$2" | cut -d' ' -f"$1"; }
figure() { awk "BEGIN { printf \"$1\", $2 }"; }
rate() { figure %.0f "$bytes / 1e6 / $1"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-5s %8s %8s %8s %8s %9s %8s %9s\n' round "cat s" "cat+sync" "ours s" "no flush" "ours MB/s" "ours cpu" "ours peak"
results=$work/results
: >"$results"
round=1
while [ "$round" -le "$rounds" ]; do
    ours=$(timed "$work/out-ours" -- "$join" -o "$work/out-ours" "$@")
    cat=$(timed "$work/out-cat" --stdout "$work/out-cat" -- cat "$@")
    unflushed=$(timed "$work/out-ours" -- env LD_PRELOAD="$nosync" "$join" -o "$work/out-ours" "$@")
    synced=$(timed "$work/out-cat" --stdout "$work/out-cat" --sync -- cat "$@")
    printf '%-5s %8s %8s %8s %8s %9s %8s %5s MiB\n' "$round" "$(field 1 "$cat")" "$(field 1 "$synced")" \
        "$(field 1 "$ours")" "$(field 1 "$unflushed")" "$(rate "$(field 1 "$ours")")" "$(field 3 "$ours")" \
        "$(figure %.1f "$(field 2 "$ours") / 1024")"
    echo "$(field 1 "$cat") $(field 1 "$synced") $(field 1 "$ours") $(field 1 "$unflushed")" \
        "$(field 2 "$ours") $(field 2 "$unflushed") $(field 3 "$ours") $(field 3 "$cat")" >>"$results"
    round=$((round + 1))
done
echo "quillmere-join wrote $(wc -c <"$work/out-ours") bytes; cat wrote $(wc -c <"$work/out-cat")."

cat_s=$(cut -d' ' -f1 "$results" | median)
synced_s=$(cut -d' ' -f2 "$results" | median)
ours_s=$(cut -d' ' -f3 "$results" | median)
unflushed_s=$(cut -d' ' -f4 "$results" | median)
peak_kib=$(cut -d' ' -f5,6 "$results" | tr ' ' '\n' | sort -n | tail -n 1)
ours_cpu=$(cut -d' ' -f7 "$results" | median)
cat_cpu=$(cut -d' ' -f8 "$results" | median)

echo
echo "Medians of $rounds rounds over $bytes bytes:"
echo "  quillmere-join:           $ours_s s, $(rate "$ours_s") MB/s, $ours_cpu s of processor;" \
    "peak memory $(figure %.1f "$peak_kib / 1024") MiB (goal < 64)"
echo "  quillmere-join, no flush: $unflushed_s s, $(rate "$unflushed_s") MB/s"
echo "  cat:                      $cat_s s, $(rate "$cat_s") MB/s, $cat_cpu s of processor"
echo "  cat + fdatasync:          $synced_s s, $(rate "$synced_s") MB/s"
echo "  ours / cat, neither flushing: $(figure %.2f "$unflushed_s / $cat_s") (goal <= 1.5)"
echo "  ours / cat, both flushing:    $(figure %.2f "$ours_s / $synced_s")"
echo "  ours as shipped / plain cat:  $(figure %.2f "$ours_s / $cat_s")"
echo "  the flush costs us $(figure %.2f "$ours_s - $unflushed_s") s"

if [ "${QUILLMERE_BENCH_PYTHON:-1}" != 0 ] && command -v python3 >/dev/null 2>&1; then
    python=$(timed "$work/out-python" -- python3 "$here/pyjoin.py" "$work/out-python" "$@")
    python_s=$(field 1 "$python")
    echo "  python3 csv:              $python_s s, $(rate "$python_s") MB/s (no flush);" \
        "ours is $(figure %.1f "$python_s / $unflushed_s") x faster without the flush," \
        "$(figure %.1f "$python_s / $ours_s") x with it (goal >= 20)"
fi
