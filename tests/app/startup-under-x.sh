#!/bin/sh
# Starts the real program on a virtual X server and checks that its main
# window appears titled "Quillmere" with a client area of 545 x 155 pixels,
# centred on the 1024 x 768 screen, then closes it.
#   usage: startup-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server is installed.
set -u
program=$1

if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v xwininfo >/dev/null 2>&1; then
    echo "xvfb-run or xwininfo missing: skipped"
    exit 77
fi

if [ -z "${QUILLMERE_UNDER_X:-}" ]; then
    QUILLMERE_UNDER_X=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

QT_QPA_PLATFORM=xcb "$program" &
pid=$!
trap 'kill $pid 2>/dev/null' EXIT

line=""
for _ in $(seq 1 100); do
    # Qt keeps a 1x1 window of the same name as the group leader.
    line=$(xwininfo -root -tree 2>/dev/null | grep '"Quillmere"' | grep -v ' 1x1+' | head -n 1)
    [ -n "$line" ] && break
    if ! kill -0 $pid 2>/dev/null; then
        echo "the program ended before its window appeared"
        exit 1
    fi
    sleep 0.1
done

if [ -z "$line" ]; then
    echo "no window titled Quillmere appeared"
    exit 1
fi
echo "window: $line"

# With no window manager the window is its client area: 545x155 at (240, 307)
# is the middle of the screen, a half pixel rounded up.
case "$line" in
    *" 545x155+240+307 "* | *" 545x155+239+306 "*) ;;
    *)
        echo "expected a client area of 545x155 in the middle of the screen"
        exit 1
        ;;
esac

kill $pid
wait $pid 2>/dev/null
exit 0
