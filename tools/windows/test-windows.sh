#!/bin/sh
# test-windows.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR: the Windows leg. On a virtual X server of
# its own, with the Windows build's own Wine prefix:
#   1. every test built for Windows, under Wine (ctest);
#   2. the packed folder (Quillmere-*-win64.zip), unpacked and run with nothing else on the DLL
#      search path: quillmere-join.exe joins the public CSV files to exactly the bytes that the
#      Linux build's quillmere-join writes, and quillmere.exe shows its window titled
#      "Quillmere" with a client area of 545 x 155.
# Settings: QUILLMERE_DISPLAY (the first X display number tried, 100), QUILLMERE_CSV_DIR (the
# public CSV files, ../shared/testdata/csv beside the checkout), JOBS.
set -eu

[ $# -eq 2 ] || { echo "usage: test-windows.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR" >&2; exit 2; }
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
csv_dir=${QUILLMERE_CSV_DIR:-$source/../shared/testdata/csv}
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
prefix=$(sed -n 's/^QUILLMERE_WINE_PREFIX:PATH=//p' "$windows/CMakeCache.txt")
[ -n "$prefix" ] || { echo "test-windows: $windows was configured without Wine" >&2; exit 1; }

# A display of our own: the first free one from QUILLMERE_DISPLAY on.
display=${QUILLMERE_DISPLAY:-100}
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$windows/xvfb.log" 2>&1 &
xvfb=$!
export WINEPREFIX="$prefix"
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
waited=0
until [ -e "/tmp/.X11-unix/X$display" ]; do
    sleep 0.1
    waited=$((waited + 1))
    [ "$waited" -lt 100 ] || { echo "test-windows: Xvfb did not start on :$display" >&2; exit 1; }
done
export DISPLAY=":$display"
echo "test-windows: X server on $DISPLAY, Wine prefix $WINEPREFIX"

# Made here rather than by the first of several tests at once.
"$here/wine-run.sh" "$prefix" "" cmd /c exit 0 || true

failed=0
(cd "$windows" && ctest --output-on-failure --parallel "$jobs") || failed=1

# The packed folder, alone.
passed_checks=0
failed_checks=0
check() {
    if [ "$1" = ok ]; then
        passed_checks=$((passed_checks + 1))
        echo "test-windows: PASS $2"
    else
        failed_checks=$((failed_checks + 1))
        echo "test-windows: FAIL $2"
    fi
}
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
run_packed() { "$here/wine-run.sh" "$prefix" "" "$@"; }

zip=$(ls "$windows"/Quillmere-*-win64.zip)
unpacked=$windows/package-check
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && unzip -q "$zip")
folder=$(ls -d "$unpacked"/Quillmere-*-win64)

if [ -d "$csv_dir" ]; then
    inputs=$(find "$csv_dir" -name '*.csv' | LC_ALL=C sort)
    # shellcheck disable=SC2086
    "$linux/quillmere-join" -o "$unpacked/joined-linux.txt" $inputs
    set --
    for input in $inputs; do
        set -- "$@" "$(windows_path "$input")"
    done
    if run_packed "$folder/quillmere-join.exe" -o "$(windows_path "$unpacked/joined-windows.txt")" "$@" \
        && cmp "$unpacked/joined-linux.txt" "$unpacked/joined-windows.txt"; then
        check ok "quillmere-join.exe joins the $(echo "$inputs" | wc -l) public CSV files to the Linux build's bytes"
    else
        check failed "quillmere-join.exe joins the public CSV files to the Linux build's bytes"
    fi
else
    echo "test-windows: SKIP the CSV join: no folder $csv_dir"
fi

run_packed "$folder/quillmere.exe" &
size=$(run_packed "$windows/tests/windows/windowprobe.exe" Quillmere 60 | tr -d '\r') || size=none
if [ "$size" = "545 155" ] && xdotool search --onlyvisible --name '^Quillmere$' >/dev/null; then
    check ok "quillmere.exe shows its window titled \"Quillmere\" with a 545 x 155 client area"
else
    check failed "quillmere.exe shows its window titled \"Quillmere\" with a 545 x 155 client area (client area: $size)"
fi
import -window root "$windows/quillmere-under-wine.png" 2>/dev/null || true
wineserver -k 2>/dev/null || true

echo "test-windows: packed folder: $passed_checks passed, $failed_checks failed"
[ "$failed" -eq 0 ] && [ "$failed_checks" -eq 0 ]
