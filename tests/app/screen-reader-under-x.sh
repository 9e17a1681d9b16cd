#!/bin/sh
# Asks the desktop's accessibility bus, as a screen reader does, what the
# real program's window holds on a virtual X server: the window as a frame
# named "Quillmere", the Add and Join buttons and the list by name, the list's
# tool tip and its keys as its description, and the hidden button that holds
# the focus at start as a text saying where the user is, never as
# "Command1". Then, while a join waits for a pipe, the progress dialog's bar
# and text by what they say.
#   usage: screen-reader-under-x.sh PROGRAM
# Exit status 77 (skipped) when no virtual X server, xdotool, D-Bus session
# or accessibility bus is installed.
set -u
program=$(realpath "$1")
launcher=/usr/libexec/at-spi-bus-launcher
for tool in dbus-run-session gdbus "$launcher"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool missing: skipped"
        exit 77
    fi
done
if [ -z "${QUILLMERE_ON_BUS:-}" ]; then
    QUILLMERE_ON_BUS=1 exec dbus-run-session -- "$0" "$@" 2>/dev/null
fi
. "$(dirname "$0")/x-session.sh"
x_session_begin "$0" "$@"

"$launcher" --launch-immediately >/dev/null 2>&1 &
helper_pid=$!
bus=""
for _ in $(seq 1 100); do
    bus=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
              --method org.a11y.Bus.GetAddress 2>/dev/null | sed -n "s/^('\(.*\)',)\$/\1/p")
    [ -n "$bus" ] && break
    sleep 0.1
done
[ -n "$bus" ] || fail "the accessibility bus did not start"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
mkfifo "$work/pipe"
start_program pipe

call()
{
    gdbus call --address "$bus" --dest "$1" --object-path "$2" --method "$3" "$4" "$5" 2>/dev/null
}

# One line per object, "role|name|description", down to the window's controls.
# gdbus quotes a text that holds an apostrophe in double quotes.
describe()
{
    role=$(call "$1" "$2" org.a11y.atspi.Accessible.GetRoleName "" "" | sed -n "s/^('\(.*\)',)\$/\1/p")
    name=$(call "$1" "$2" org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Name \
               | sed -n "s/^(<[\"']\(.*\)[\"']>,)\$/\1/p")
    description=$(call "$1" "$2" org.freedesktop.DBus.Properties.Get org.a11y.atspi.Accessible Description \
                      | sed -n "s/^(<[\"']\(.*\)[\"']>,)\$/\1/p")
    echo "$role|$name|$description"
    [ "$3" -ge 2 ] && return
    for child in $(call "$1" "$2" org.a11y.atspi.Accessible.GetChildren "" "" \
                       | grep -o "'/org/a11y/atspi/accessible/[^']*'" | tr -d "'"); do
        describe "$1" "$child" $(($3 + 1))
    done
}

# The tree of every application once a line matches the pattern, in "tree".
wait_for_tree()
{
    tree=""
    for _ in $(seq 1 50); do
        applications=$(call org.a11y.atspi.Registry /org/a11y/atspi/accessible/root \
                           org.a11y.atspi.Accessible.GetChildren "" "" | grep -o "':[0-9.]*'" | tr -d "'")
        for application in $applications; do
            tree="$tree$(describe "$application" /org/a11y/atspi/accessible/root 0)
"
        done
        echo "$tree" | grep -q "$1" && break
        tree=""
        sleep 0.1
    done
    echo "$tree"
}

expect()
{
    for expected in "$@"; do
        echo "$tree" | grep -qxF "$expected" || fail "a screen reader is not told: $expected"
    done
}

wait_for_tree '^list|'
expect \
    "frame|Quillmere|" \
    "push button|Add files|" \
    "push button|Join files|" \
    "list|Files to join|Double click list item to remove it. Delete removes the selected entry; Ctrl+Up and Ctrl+Down move it. Shift+F10 or the menu key opens the list's commands: Sort by Name, Ctrl+Shift+N; Sort by Date Modified, Ctrl+Shift+D; Reverse Order, Ctrl+Shift+R; Remove, Del; Clear List, Ctrl+Shift+Del; Undo, Ctrl+Z." \
    "label|Start of the Quillmere window|Tab moves to the list of files, then to the Add and Join buttons."
echo "$tree" | grep -q "Command1" && fail "a screen reader is told of \"Command1\""

# Nobody writes the pipe: the join waits and shows its progress.
click_at 472 112
wait_for_focus "Save  As"
xdotool type --delay 10 "$work/joined.txt"
xdotool key Return
wait_for_no_window "Save  As"
wait_for_tree '^progress bar|'
expect "progress bar|Joining files...|" "label|Joining files...|"
echo "a screen reader is told the names of the window, the controls and the progress"
exit 0
