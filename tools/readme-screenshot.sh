#!/bin/sh
# Remakes the picture of the main window at the top of the README: starts the
# program on a virtual X server with a few files in its list and takes a
# picture of its window. Run it after changing how the window looks, look at
# the picture, and commit it.
#   usage: tools/readme-screenshot.sh [PROGRAM [PICTURE]]
#   (defaults: build/quillmere and docs/window.png)
# Needs xvfb-run (xvfb, xauth), xwininfo (x11-utils) and import (imagemagick).
#
# The listed paths need not exist, since the list shows a path as it was
# given, so the picture is the same on every machine and comes out the same
# each time unless the window changed.
set -eu
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/quillmere}")
picture=${2:-docs/window.png}

for tool in xvfb-run xwininfo import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "readme-screenshot: $tool is missing; on Debian: apt-get install xvfb xauth x11-utils imagemagick" >&2
        exit 1
    fi
done
if [ -z "${QUILLMERE_UNDER_X:-}" ]; then
    QUILLMERE_UNDER_X=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$program" "$picture"
fi

folder=/home/ada/Documents
QT_QPA_PLATFORM=xcb "$program" \
    "$folder/first.csv" "$folder/second.csv" \
    "$folder/exports/2024-01 orders.csv" "$folder/exports/2024-02 orders.csv" \
    "$folder/exports/2024-03 orders.csv" "$folder/exports/returns.csv" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT

window=""
for _ in $(seq 1 100); do
    # Qt keeps a 1x1 window of the same name as the group leader.
    window=$(xwininfo -root -tree | grep '"Quillmere": (' | grep -v ' 1x1+' | awk '{ print $1 }' | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "readme-screenshot: the window did not appear" >&2; exit 1; }
sleep 1

mkdir -p "$(dirname "$picture")"
# No dates in the file, so an unchanged window gives an unchanged file.
import -window "$window" -strip -define png:exclude-chunks=date,time "$picture"
echo "readme-screenshot: wrote $picture"
