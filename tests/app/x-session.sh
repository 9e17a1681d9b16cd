# Helpers for the tests that drive the real program on a virtual X server with
# xdotool. Sourced by those tests, not run on its own. The sourcing script
# sets `program` and calls x_session_begin with its own "$0" "$@" first.

# The exit status of a run whose virtual X server could not be reached.
LostDisplay=75

# Re-runs the calling script under a fresh virtual X server; exits 77
# (skipped) when the tools are missing.
x_session_begin()
{
    for tool in xvfb-run xwininfo xdotool; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "$tool missing: skipped"
            exit 77
        fi
    done
    if [ -z "${QUILLMERE_UNDER_X:-}" ]; then
        # xvfb-run -a takes the first free display from where it starts
        # looking; test runs side by side start at different places, so that
        # they seldom reach for the same one at the same moment, and when they
        # do, the run is repeated on another. Without -noreset the server
        # starts afresh each time its last client leaves, and refuses the
        # program that connects at that moment.
        for attempt in 1 2 3; do
            QUILLMERE_UNDER_X=1 xvfb-run -a -n $((100 + ($$ + 131 * attempt) % 800)) \
                -s "-screen 0 1024x768x24 -noreset" "$@"
            status=$?
            [ "$status" -ne "$LostDisplay" ] && exit "$status"
            echo "the virtual X server could not be reached; again on another"
        done
        exit 1
    fi
    xwininfo -root >/dev/null 2>&1 || exit "$LostDisplay"
    work=$(mktemp -d)
    pid=""
    main_window=""
    trap 'x_session_end' EXIT
}

x_session_end()
{
    for process in $pid ${helper_pid:-}; do
        kill "$process" 2>/dev/null
    done
    rm -rf "$work"
}

fail()
{
    echo "FAIL: $*"
    if [ -s "$work/program-errors.txt" ]; then
        echo "the program's standard error:"
        cat "$work/program-errors.txt"
    fi
    exit 1
}

# The line of `xwininfo -root -tree` for the first window with that exact
# title, other than Qt's 1x1 group leader; empty when there is none.
window_line()
{
    xwininfo -root -tree 2>/dev/null | grep -F "\"$1\": (" | grep -v ' 1x1+' | head -n 1
}

# Waits up to thirty seconds for a window with that title; fails without one.
wait_for_window()
{
    for _ in $(seq 1 300); do
        [ -n "$(window_line "$1")" ] && return 0
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
            xwininfo -root >/dev/null 2>&1 || exit "$LostDisplay"
            grep -q "could not connect to display" "$work/program-errors.txt" 2>/dev/null \
                && exit "$LostDisplay"
            fail "the program ended while waiting for the window \"$1\""
        fi
        sleep 0.1
    done
    fail "no window titled \"$1\" appeared"
}

# Waits up to thirty seconds for the window with that title to go.
wait_for_no_window()
{
    for _ in $(seq 1 300); do
        [ -z "$(window_line "$1")" ] && return 0
        sleep 0.1
    done
    fail "the window \"$1\" did not close"
}

# Waits up to thirty seconds (a loaded machine starts programs slowly) for the
# keyboard focus to be in a window with that
# title other than the main window, as a dialog or message takes it once it
# is ready for keys; fails without.
wait_for_focus()
{
    for _ in $(seq 1 300); do
        focus=$(xdotool getwindowfocus 2>/dev/null)
        if [ -n "$focus" ] && [ "$focus" != "$main_window" ] \
            && [ "$(xdotool getwindowname "$focus" 2>/dev/null)" = "$1" ]; then
            return 0
        fi
        sleep 0.1
    done
    fail "no window titled \"$1\" took the keyboard"
}

# Starts the program in the work folder with the given arguments and waits
# for its main window; sets left and top to its client area's screen position.
start_program()
{
    # What the program says is kept for fail() to show, and for
    # wait_for_window to tell a display it could not reach.
    (cd "$work" && QT_QPA_PLATFORM=xcb exec "$program" "$@" 2>>"$work/program-errors.txt") &
    pid=$!
    wait_for_window Quillmere
    main_window=$(($(window_line Quillmere | awk '{ print $1 }')))
    geometry=$(window_line Quillmere | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' | head -n 1)
    left=$(echo "$geometry" | cut -d+ -f2)
    top=$(echo "$geometry" | cut -d+ -f3)
    # Let the window settle before the pointer moves in.
    sleep 0.5
}

# Clicks at a point of the main window's client area, with the left button
# or the one given third.
click_at()
{
    xdotool mousemove $((left + $1)) $((top + $2))
    sleep 0.2
    xdotool click "${3:-1}"
}

# Presses the left button at one point of the screen, moves in small steps
# to another, as a hand would, and then lets go, or presses Escape first when
# the fifth argument is "escape".
drag_on_screen()
{
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $(($1 + ($3 - $1) * step / 8)) $(($2 + ($4 - $2) * step / 8))
        sleep 0.1
    done
    sleep 0.3
    if [ "${5:-}" = escape ]; then
        xdotool key Escape
        sleep 0.3
    fi
    xdotool mouseup 1
    sleep 0.5
}

# The same between two points of the main window's client area; a point
# given as "outside" is on the screen, away from the window.
drag()
{
    if [ "$3" = outside ]; then
        drag_on_screen $((left + $1)) $((top + $2)) 40 40 "${5:-}"
    else
        drag_on_screen $((left + $1)) $((top + $2)) $((left + $3)) $((top + $4)) "${5:-}"
    fi
}

# Presses Join, saves the join as the given file in the save dialog, and
# dismisses the message that tells where it went.
join_as()
{
    click_at 472 112
    wait_for_focus "Save  As"
    xdotool type --delay 10 "$1"
    xdotool key Return
    wait_for_no_window "Save  As"
    wait_for_focus Quillmere
    xdotool key Return
}

# The processor time the program has used, in clock ticks.
cpu_ticks()
{
    # Fields 14 and 15 of /proc/PID/stat, counted after the command's name.
    sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'
}
