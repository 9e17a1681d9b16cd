#!/bin/sh
# Starts the real program on a virtual X server and checks that its main
# window appears titled "Quillmere" with a client area of 545 x 155 pixels,
# centred on the 1024 x 768 screen, then closes it.
#   usage: startup-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server is installed.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

start_program
line=$(window_line Quillmere)
echo "window: $line"

# With no window manager the window is its client area: 545x155 at (240, 307)
# is the middle of the screen, a half pixel rounded up.
case "$line" in
    *" 545x155+240+307 "* | *" 545x155+239+306 "*) ;;
    *) fail "expected a client area of 545x155 in the middle of the screen" ;;
esac
exit 0
