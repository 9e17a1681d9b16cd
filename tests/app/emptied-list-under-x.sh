#!/bin/sh
# Lists one file whose name is wider than the list in the real program on a
# virtual X server, double-clicks it away, and checks that the program then
# rests instead of laying the list out again and again, and that it still
# answers: Join says the list is empty, Add opens its dialog.
#   usage: emptied-list-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

wide=$(printf 'wide%.0s' $(seq 1 40)).csv
printf 'x\r\n' >"$work/$wide"
start_program "$wide"

xdotool mousemove $((left + 60)) $((top + 14))
sleep 0.2
xdotool click --repeat 2 --delay 80 1
sleep 1

# A program at rest uses next to no processor time; the endless layout used
# nearly all of it.
ticks_per_second=$(getconf CLK_TCK)
before=$(cpu_ticks)
sleep 2
used=$(($(cpu_ticks) - before))
echo "processor time in 2 s after the list was emptied: $used of $((2 * ticks_per_second)) ticks"
[ $((used * 4)) -lt "$ticks_per_second" ] || fail "the program keeps working after the list was emptied"

main_windows()
{
    xwininfo -root -tree 2>/dev/null | grep -F '"Quillmere": (' | grep -vc ' 1x1+'
}

# Join on an empty list: the message box, a second window titled Quillmere.
click_at 472 112
for _ in $(seq 1 100); do
    [ "$(main_windows)" -ge 2 ] && break
    sleep 0.1
done
[ "$(main_windows)" -ge 2 ] || fail "Join showed no message: was the entry removed?"
wait_for_focus Quillmere
xdotool key Return
for _ in $(seq 1 100); do
    [ "$(main_windows)" -lt 2 ] && break
    sleep 0.1
done
[ "$(main_windows)" -lt 2 ] || fail "the message could not be dismissed"

click_at 472 40
wait_for_focus "Add File(s) - Hold Ctrl to select multiple files"
xdotool key Escape
wait_for_no_window "Add File(s) - Hold Ctrl to select multiple files"
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "the emptied list rests and the window answers"
exit 0
