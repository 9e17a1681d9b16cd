#!/bin/sh
# Reorders the list of the real program by dragging entries with the mouse on
# a virtual X server, with the toolkit's own drag as a user starts it, then
# joins the list and checks that every file was joined, in the new order.
# Drags that end outside the list, or are broken off with Escape, change
# nothing.
#   usage: drag-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

for name in a b c d e; do
    printf '%s1,%s2\r\n' "$name" "$name" >"$work/$name.csv"
done
start_program a.csv b.csv c.csv d.csv e.csv

# Points of the client area. The list's rows start 9 pixels down, below its
# frame, and are 13 to 15 pixels high with the fonts a desktop may have; each
# point below lies in the same half of the same row for any of those heights.
x=60
row0=14            # the first row
row3_upper=54      # the upper half of the fourth row
row4=71            # the fifth row
row1_lower=33      # the lower half of the second row
below_entries=129  # the list's free space below its five entries
join_x=472; join_y=112

# A line shows where the entry will land while it is dragged: with a tick at
# each end, beside the label that the pointer drags. Counted as the pixels
# that are not white in the list's last column; pressed but not yet moved,
# only the selected entry colours some.
marked()
{
    import -window root "$work/shot.png"
    convert "$work/shot.png" -crop "1x135+$((left + 398))+$((top + 10))" txt:- | tail -n +2 | grep -vc "#FFFFFF"
}
xdotool mousemove $((left + x)) $((top + row0))
sleep 0.2
xdotool mousedown 1
sleep 0.2
at_rest=$(marked)
for step in 1 2 3 4 5 6; do
    xdotool mousemove $((left + x)) $((top + row0 + step * 6))
    sleep 0.1
done
sleep 0.3
dragging=$(marked)
xdotool key Escape
sleep 0.3
xdotool mouseup 1
sleep 0.5
echo "marked pixels at the list's right edge: $at_rest at rest, $dragging while dragging"
[ "$dragging" -ge $((at_rest + 6)) ] || fail "no drop line shows while an entry is dragged"

drag $x $row0 $x $row3_upper            # a before d:       b c a d e
drag $x $row4 $x $row1_lower            # e after c:        b c e a d
drag $x $row0 outside                   # out of the window: no change
drag $x $row0 $join_x $join_y           # onto a button:     no change
drag $x $row0 $x $row3_upper escape     # broken off:        no change
drag $x $row0 $x $below_entries         # b to the end:      c e a d b

join_as "$work/joined.txt"

expected="$work/expected.txt"
for name in c e a d b; do
    printf '%s1\r\n%s2\r\n' "$name" "$name"
done >"$expected"
printf '\r\n' >>"$expected"
if ! cmp -s "$expected" "$work/joined.txt"; then
    echo "expected:"; od -c "$expected"
    echo "joined:"; od -c "$work/joined.txt" 2>/dev/null
    fail "the join does not hold every file in the order they were dragged into"
fi
kill -0 "$pid" 2>/dev/null || fail "the program ended"
echo "five files dragged into a new order and joined"
exit 0
