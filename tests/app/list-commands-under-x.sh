#!/bin/sh
# Uses the list's commands in the real program on a virtual X server as a
# user would: 120 files listed in text order (part1, part10, part100, ...)
# are sorted into natural order with two clicks, on the context menu and its
# "Sort by Name"; the list is cleared and the clearing undone; an entry is
# double-clicked away and its removal undone. Joins show the list each time.
#   usage: list-commands-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

for i in $(seq 1 120); do
    printf 'p%s\r\n' "$i" >"$work/part$i.csv"
done
# shellcheck disable=SC2046 # one argument a file
start_program $(cd "$work" && ls part*.csv | LC_ALL=C sort)

# Joins the list and compares it with the files of these numbers, in order.
expect_join()
{
    what=$1
    shift
    rm -f "$work/joined.txt"
    join_as "$work/joined.txt"
    for i in "$@"; do
        printf 'p%s\r\n' "$i"
    done >"$work/expected.txt"
    printf '\r\n' >>"$work/expected.txt"
    cmp -s "$work/expected.txt" "$work/joined.txt" || fail "the join does not hold $what"
}

# The menu opens at the pointer; its first command, "Sort by Name", lies just
# below and right of it.
click_at 60 14 3
sleep 0.5
xdotool mousemove_relative 30 10 click 1
sleep 0.5
expect_join "the 120 files in natural order" $(seq 1 120)

# Cleared, Join has nothing to join and says so. Without a window manager
# the keyboard comes back to the window with a click.
click_at 60 14
xdotool key ctrl+shift+Delete
click_at 472 112
wait_for_focus Quillmere
xdotool key Return
sleep 0.5
click_at 60 100
xdotool key ctrl+z
sleep 0.5
expect_join "the files brought back after the list was cleared" $(seq 1 120)

# The list shows its last entries since the start; a click gives it the
# keyboard, and Home brings the first entry into view.
click_at 60 50
xdotool key Home
sleep 0.3
xdotool mousemove $((left + 60)) $((top + 14))
sleep 0.2
xdotool click --repeat 2 --delay 80 1
sleep 0.5
expect_join "the files but the first, double-clicked away" $(seq 2 120)
click_at 60 100
xdotool key ctrl+z
sleep 0.5
expect_join "the first file again once its removal was undone" $(seq 1 120)
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "120 files sorted by name with two clicks; a clearing and a removal undone"
exit 0
