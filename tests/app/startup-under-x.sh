#!/bin/sh
# Starts the real program on a virtual X server and checks that its main
# window appears titled "Quillmere" with a client area of 545 x 155 pixels,
# centred on the 1024 x 768 screen, and that the list shows a focus mark once
# Tab gives it the focus, empty as it is. Then the command line: --help and
# --version print and open no window, an unknown option is refused, and a
# file named "--help" is listed after "--". A damaged pointer file beside the
# program is told in a message, and the program ends without its window.
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

list_picture()
{
    import -window root -crop "385x131+$((left + 12))+$((top + 12))" "$work/$1.png"
}
click_at 540 150
list_picture unfocused
xdotool key Tab
sleep 0.3
list_picture focused
differing=$(compare -metric AE "$work/unfocused.png" "$work/focused.png" "$work/difference.png" 2>&1)
echo "pixels that the focus mark changed: $differing"
[ "${differing%% *}" -gt 0 ] || fail "the empty list shows no focus mark"
kill "$pid"
wait "$pid"
pid=""

"$program" --help >"$work/help.txt" 2>"$work/errors.txt" || fail "--help failed"
head -n 1 "$work/help.txt" | grep -qx 'Usage: quillmere \[FILE\]\.\.\.' || fail "--help printed: $(cat "$work/help.txt")"
[ "$("$program" --version 2>"$work/errors.txt")" = "quillmere 1.00" ] || fail "--version printed something else"
"$program" --frobnicate >"$work/output.txt" 2>"$work/error.txt"
[ $? -eq 2 ] && grep -q "Unknown option 'frobnicate'" "$work/error.txt" || fail "an unknown option was taken"
[ -z "$(window_line Quillmere)" ] || fail "a window was opened for --help, --version or an option"

printf 'h\r\n' >"$work/--help"
start_program -- --help
join_as "$work/joined.txt"
printf 'h\r\n\r\n' >"$work/expected.txt"
cmp -s "$work/expected.txt" "$work/joined.txt" || fail "the file named --help was not listed after --"
kill "$pid"
wait "$pid"
pid=""

mkdir "$work/program"
cp "$program" "$work/program/"
printf 'no cursor' >"$work/program/HAND-M.CUR"
QT_QPA_PLATFORM=xcb "$work/program/$(basename "$program")" &
pid=$!
main_window="" # the window ids of the programs before may come again
wait_for_window Quillmere
line=$(window_line Quillmere)
echo "message: $line"
case "$line" in
    *" 545x155+"*) fail "the main window opened with a damaged pointer file" ;;
esac
[ -n "${QUILLMERE_SCREENSHOTS:-}" ] && import -window root "$QUILLMERE_SCREENSHOTS/damaged-cursor.png"
wait_for_focus Quillmere
xdotool key Return
wait "$pid"
status=$?
pid=""
[ "$status" -eq 1 ] || fail "the program ended with status $status after a damaged pointer file"
echo "window, focus mark, command line and damaged pointer file as expected"
exit 0
