#!/bin/sh
# The program's messages on a virtual X server. After a join that failed on
# an entry, the list has the keyboard focus with that entry selected, so that
# Delete removes it. The message after a join shows the whole output path,
# however long, wrapped within the screen, and Ctrl+C copies it.
#   usage: messages-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server, xdotool or xclip is
# installed. With QUILLMERE_SCREENSHOTS set to a folder, the message is
# photographed there.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
if [ -z "$(command -v xclip)" ]; then
    echo "xclip missing: skipped"
    exit 77
fi
x_session_begin "$0" "$@"

printf 'a\r\n' >"$work/a.csv"
printf 'b\r\n' >"$work/b.csv"
start_program a.csv gone.csv b.csv

# Join, then Delete at once: the missing entry goes.
join_as "$work/out.txt"
sleep 0.3
xdotool key Delete
sleep 0.3
[ -e "$work/out.txt" ] && fail "the join with a missing input wrote its output"

long="$work/$(printf 'a-long-name-%.0s' $(seq 1 20))joined.txt"
click_at 472 112
wait_for_focus "Save  As"
xdotool type --delay 5 "$long"
xdotool key Return
wait_for_no_window "Save  As"
wait_for_focus Quillmere
message=$(xdotool getwindowfocus)
xdotool key ctrl+c
sleep 0.3
copied=$(xclip -o -selection clipboard)
[ -n "${QUILLMERE_SCREENSHOTS:-}" ] && import -window root "$QUILLMERE_SCREENSHOTS/long-path-message.png"
eval "$(xdotool getwindowgeometry --shell "$message")"
echo "message: ${WIDTH}x${HEIGHT}+${X}+${Y}"
xdotool key Return

printf 'a\r\nb\r\n\r\n' >"$work/expected.txt"
cmp -s "$work/expected.txt" "$long" || fail "Delete after the failed join did not remove the missing entry"
[ "$copied" = "File(s) created: $long" ] || fail "the message copied as: $copied"
[ "$X" -ge 0 ] && [ $((X + WIDTH)) -le 1024 ] && [ "$Y" -ge 0 ] && [ $((Y + HEIGHT)) -le 768 ] \
    || fail "the message reaches beyond the screen"
echo "the failing entry had the focus; the long path was shown within the screen and copied whole"
exit 0
