#!/bin/sh
# window-under-wine.sh PREFIX PROBE START FOLDER SCREENSHOT: drives the Windows program's window
# under Wine as a user would, with the real pointer and keyboard (xdotool) on Wine's own windows
# and dialogs, on the X server of DISPLAY:
#   START, a shortcut such as the Send To one (a Windows path), starts it with two files;
#   Add, with Ctrl held in the common dialog, lists three more; a double click removes one and
#   a drag moves another to the top; Join saves through the Save As dialog into a new file;
#   the message box's text, copied with Ctrl+C, names that file, and the file holds the join of
#   the listed files in their new order.
# The user's files go into FOLDER (a folder of PREFIX's drive C: that is made if need be); the
# screenshot, taken while the message shows, into SCREENSHOT. Every wait polls, through PROBE
# (windowprobe.exe), for a window or a dialog by its title, within a time limit.
set -u

[ $# -eq 5 ] || { echo "usage: window-under-wine.sh PREFIX PROBE START FOLDER SCREENSHOT" >&2; exit 2; }
prefix=$1
probe_program=$2
start=$3
folder=$4
screenshot=$5
here=$(cd "$(dirname "$0")" && pwd)

# The X helpers of the Linux window tests, on the X server that is already there.
QUILLMERE_UNDER_X=1
. "$here/../../tests/app/x-session.sh"
x_session_begin "$0" "$@"

AddTitle="Add File(s) - Hold Ctrl to select multiple files"
SaveTitle="Save  As"
# Wine starts a program's first window within seconds, but a loaded machine may take longer.
Patience=60

# The probe's answer without Windows' line ends; fails when it has none.
probe() {
    answer=$("$here/wine-run.sh" "$prefix" "" "$probe_program" "$@") || return 1
    printf '%s\n' "$answer" | tr -d '\r'
}
windows_path() { printf 'C:\\%s' "${1#"$prefix/drive_c/"}" | tr / '\\'; }
# Wine's dialog is there for Windows a moment before its window is on the screen, where the keys
# go, and gone a moment before its window leaves the screen, where it would take the next click.
wait_for_dialog() {
    dialog=$(probe dialog "$Patience" "$1") || fail "no dialog \"$1\" showed"
    wait_for_window "$1"
}
wait_for_dialog_to_go() {
    probe no-dialog 20 "$1" >>"$work/probe.log" || fail "the dialog \"$1\" did not close"
    wait_for_no_window "$1"
}
# Moves the pointer into the middle of the top edge of a window given as "LEFT TOP WIDTH HEIGHT",
# where none of a dialog's controls lie: with no window manager, keys go to the window under it.
point_into() { xdotool mousemove $(($1 + $3 / 2)) $(($2 + 8)); }

mkdir -p "$folder"
printf 'alpha,"beta, gamma"\r\n' >"$folder/a.csv"
printf 'removed\r\n' >"$folder/b.csv"
printf 'x\n\ny' >"$folder/c.csv"
printf '"one item"\r\n' >"$folder/d.csv"
printf 'e1,e2\r\n' >"$folder/e.csv"
output=$folder/joined.txt
rm -f "$output"
where=$(windows_path "$folder")

"$here/wine-run.sh" "$prefix" "" start "$start" "$where\\a.csv" "$where\\b.csv"
window=$(probe window "$Patience" Quillmere) || fail "no window titled \"Quillmere\" showed"
set -- $window
left=$1
top=$2

click_at 472 40
wait_for_dialog "$AddTitle"
point_into $dialog
xdotool type --delay 10 "$where"
xdotool key Return
entries=$(probe entries 20 "$AddTitle" c.csv d.csv e.csv) || fail "the dialog did not list the files of $where"
set -- $entries
xdotool mousemove "$1" "$2" click 1
xdotool keydown ctrl mousemove "$3" "$4" click 1 mousemove "$5" "$6" click 1 keyup ctrl
xdotool key Return
wait_for_dialog_to_go "$AddTitle"
probe window 20 Quillmere >>"$work/probe.log" || fail "the window took no input after the dialog"

# The list: a, b, c, d, e. Its rows start 9 pixels down and are 13 to 16 pixels high (16 here,
# 13 to 15 on Linux); each point lies in the same half of the same row for any of those heights.
xdotool mousemove $((left + 60)) $((top + 29)) click --repeat 2 --delay 100 1   # b removed
drag 60 44 60 12                                                                  # d to the top

click_at 472 112
wait_for_dialog "$SaveTitle"
point_into $dialog
xdotool type --delay 10 "$where\\joined.txt"
xdotool key Return
wait_for_dialog_to_go "$SaveTitle"
message=$(probe dialog 20 Quillmere) || fail "no message followed the join"
point_into $message
# The message shares its title with the window: keys pressed before it is on the screen go to
# the window, so Ctrl+C is pressed until the text is copied.
text=
for attempt in 1 2 3; do
    xdotool key ctrl+c
    text=$(probe clipboard 5) && break
done
[ -n "$text" ] || fail "the message's text could not be copied"
import -window root "$screenshot" 2>/dev/null || true
case $text in
    *"File(s) created: $where\\joined.txt"*) ;;
    *) fail "the message says: $text" ;;
esac
xdotool key Return
probe no-dialog 10 Quillmere >>"$work/probe.log" || fail "the message did not close"

expected="$work/expected.txt"
printf 'one item\r\nalpha\r\nbeta, gamma\r\nx\r\n\r\ny\r\ne1\r\ne2\r\n\r\n' >"$expected"
if ! cmp -s "$expected" "$output"; then
    echo "expected:"; od -c "$expected"
    echo "joined:"; od -c "$output" 2>/dev/null
    fail "the join does not hold the listed files in their order"
fi
probe close 10 Quillmere >>"$work/probe.log" || fail "the window did not close"
echo "five files listed by Send To and Add, one removed, one dragged, joined and told"
exit 0
