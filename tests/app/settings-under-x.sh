#!/bin/sh
# Runs the real program on a virtual X server with a home and a settings folder
# of its own, in which another Qt program left the state of its file dialog;
# adds a file through the Add dialog, joins it, and checks that the program
# wrote nothing there, changed nothing and read nothing: the dialog does not
# open in the folder the other program left.
#   usage: settings-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server or xdotool is installed.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$work/elsewhere"
cat >"$XDG_CONFIG_HOME/QtProject.conf" <<END
[FileDialog]
history=file://$work/elsewhere
lastVisited=file://$work/elsewhere
viewMode=List
END
printf 'a\r\n' >"$work/a.csv"
printf 'b\r\n' >"$work/elsewhere/a.csv"
# Every file with its size and time of change, and every folder.
listing()
{
    (cd "$work" && find home config -type f -printf '%p %s %T@\n' -o -printf '%p\n' | sort)
}
before=$(listing)

start_program
# The dialog opens in the home folder: a name alone is looked for there.
printf 'c\r\n' >"$HOME/a.csv"
click_at 472 40
wait_for_focus "Add File(s) - Hold Ctrl to select multiple files"
xdotool type --delay 10 "a.csv"
xdotool key Return
wait_for_no_window "Add File(s) - Hold Ctrl to select multiple files"
join_as "$work/joined.txt"

rm "$HOME/a.csv"
after=$(listing)
printf 'c\r\n\r\n' >"$work/expected.txt"
cmp -s "$work/expected.txt" "$work/joined.txt" || fail "the Add dialog did not open in the home folder"
if [ "$before" != "$after" ]; then
    echo "before:"; echo "$before"
    echo "after:"; echo "$after"
    fail "the program changed the home or the settings folder"
fi
echo "nothing read from or written to the settings between runs"
exit 0
