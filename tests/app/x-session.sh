# Helpers for the tests that drive the real program on a virtual X server with
# xdotool. Sourced by those tests, not run on its own. The sourcing script
# sets `program` and calls x_session_begin with its own "$0" "$@" first.

# Re-runs the calling script under a fresh virtual X server, once; exits 77
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
        # they seldom reach for the same one at the same moment.
        QUILLMERE_UNDER_X=1 exec xvfb-run -a -n $((100 + $$ % 800)) -s "-screen 0 1024x768x24" "$@"
    fi
    work=$(mktemp -d)
    pid=""
    trap 'x_session_end' EXIT
}

x_session_end()
{
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}

fail()
{
    echo "FAIL: $*"
    exit 1
}

# The line of `xwininfo -root -tree` for the first window with that exact
# title, other than Qt's 1x1 group leader; empty when there is none.
window_line()
{
    xwininfo -root -tree 2>/dev/null | grep -F "\"$1\": (" | grep -v ' 1x1+' | head -n 1
}

# Waits up to ten seconds for a window with that title; fails without one.
wait_for_window()
{
    for _ in $(seq 1 100); do
        [ -n "$(window_line "$1")" ] && return 0
        if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
            fail "the program ended while waiting for the window \"$1\""
        fi
        sleep 0.1
    done
    fail "no window titled \"$1\" appeared"
}

# Waits up to ten seconds for the window with that title to go.
wait_for_no_window()
{
    for _ in $(seq 1 100); do
        [ -z "$(window_line "$1")" ] && return 0
        sleep 0.1
    done
    fail "the window \"$1\" did not close"
}

# Starts the program in the work folder with the given arguments and waits
# for its main window; sets left and top to its client area's screen position.
start_program()
{
    (cd "$work" && QT_QPA_PLATFORM=xcb exec "$program" "$@") &
    pid=$!
    wait_for_window Quillmere
    geometry=$(window_line Quillmere | grep -o '[0-9]*x[0-9]*+[0-9]*+[0-9]*' | head -n 1)
    left=$(echo "$geometry" | cut -d+ -f2)
    top=$(echo "$geometry" | cut -d+ -f3)
    # Let the window settle before the pointer moves in.
    sleep 0.5
}

# Clicks at a point of the main window's client area.
click_at()
{
    xdotool mousemove $((left + $1)) $((top + $2))
    sleep 0.2
    xdotool click 1
}

# Presses the left button at one point of the client area, moves in small
# steps to another, as a hand would, and then lets go, or presses Escape
# first when the last argument is "escape". A point given as "outside" is
# on the screen, away from the window.
drag()
{
    from_x=$((left + $1)); from_y=$((top + $2))
    if [ "$3" = outside ]; then
        to_x=40; to_y=40
    else
        to_x=$((left + $3)); to_y=$((top + $4))
    fi
    xdotool mousemove "$from_x" "$from_y"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((from_x + (to_x - from_x) * step / 8)) $((from_y + (to_y - from_y) * step / 8))
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

# The processor time the program has used, in clock ticks.
cpu_ticks()
{
    # Fields 14 and 15 of /proc/PID/stat, counted after the command's name.
    sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'
}
