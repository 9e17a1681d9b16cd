#!/bin/sh
# Drops files and a folder on the list of the real program from another
# program, as from a file manager, on a virtual X server, and joins the list.
# The files are taken as a copy; a drag that offers only a move, after which
# a file manager would delete the files, is refused and changes nothing.
#   usage: file-drop-under-x.sh PROGRAM FILE_DRAG_SOURCE
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
drag_source=$(realpath "$2")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

mkdir "$work/folder"
for name in a e folder/p10 folder/p2 folder/p1; do
    printf '%s\r\n' "$(basename "$name")" >"$work/$name.csv"
done
start_program a.csv

# Drags from the source's window at the top left of the screen into the list;
# prints what the source was told.
drop_from_source()
{
    offered=$1
    shift
    QT_QPA_PLATFORM=xcb "$drag_source" "$offered" "$@" >"$work/dropped.txt" 2>/dev/null &
    helper_pid=$!
    wait_for_window "File drag source"
    sleep 0.5
    drag_on_screen 100 100 $((left + 60)) $((top + 100))
    for _ in $(seq 1 50); do
        [ -s "$work/dropped.txt" ] && break
        sleep 0.1
    done
    kill "$helper_pid" 2>/dev/null
    wait "$helper_pid" 2>/dev/null
    helper_pid=""
    cat "$work/dropped.txt"
}

result=$(drop_from_source copy-or-move "$work/e.csv" "$work/folder")
[ "$result" = "dropped: copy" ] || fail "a drop of files that may be copied: $result"
result=$(drop_from_source move "$work/a.csv")
[ "$result" = "dropped: none" ] || fail "a drop of files that may only be moved: $result"

join_as "$work/joined.txt"
printf 'a\r\ne\r\np1\r\np2\r\np10\r\n\r\n' >"$work/expected.txt"
if ! cmp -s "$work/expected.txt" "$work/joined.txt"; then
    echo "joined:"; od -c "$work/joined.txt" 2>/dev/null
    fail "the join does not hold the dropped files in the order dropped, the folder's in natural order"
fi
echo "files and a folder dropped from another program and joined; a move refused"
exit 0
