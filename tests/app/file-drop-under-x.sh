#!/bin/sh
# Drops files and a folder on the list of the real program from another
# program, as from a file manager, on a virtual X server, and joins the list.
# Dropped below the last entry they go at the end, dropped onto an entry
# before it. The files are taken as a copy; a drag that offers only a move,
# after which a file manager would delete the files, is refused and changes
# nothing.
#   usage: file-drop-under-x.sh PROGRAM FILE_DRAG_SOURCE
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
drag_source=$(realpath "$2")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

mkdir "$work/folder"
for name in a b e folder/p10 folder/p2 folder/p1; do
    printf '%s\r\n' "$(basename "$name")" >"$work/$name.csv"
done
start_program a.csv

# Drags from the source's window at the top left of the screen to a height
# in the list; prints what the source was told.
drop_from_source()
{
    offered=$1
    y=$2
    shift 2
    QT_QPA_PLATFORM=xcb "$drag_source" "$offered" "$@" >"$work/dropped.txt" 2>/dev/null &
    helper_pid=$!
    wait_for_window "File drag source"
    sleep 0.5
    drag_on_screen 100 100 $((left + 60)) $((top + y))
    for _ in $(seq 1 50); do
        [ -s "$work/dropped.txt" ] && break
        sleep 0.1
    done
    kill "$helper_pid" 2>/dev/null
    wait "$helper_pid" 2>/dev/null
    helper_pid=""
    cat "$work/dropped.txt"
}

# The list's rows start 9 pixels down and are 13 to 15 high: 30 is in the
# second row, 100 below the few entries.
result=$(drop_from_source copy-or-move 100 "$work/e.csv" "$work/folder")
[ "$result" = "dropped: copy" ] || fail "a drop of files that may be copied: $result"
result=$(drop_from_source copy-or-move 30 "$work/b.csv")
[ "$result" = "dropped: copy" ] || fail "a drop onto the second entry: $result"
result=$(drop_from_source move 100 "$work/a.csv")
[ "$result" = "dropped: none" ] || fail "a drop of files that may only be moved: $result"

join_as "$work/joined.txt"
printf 'a\r\nb\r\ne\r\np1\r\np2\r\np10\r\n\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$work/joined.txt"; then
    echo "joined:"; od -c "$work/joined.txt" 2>/dev/null
    fail "the join does not hold the dropped files where they were dropped, the folder's in natural order"
fi
echo "files and a folder dropped from another program at the end and between entries, and joined; a move refused"
exit 0
