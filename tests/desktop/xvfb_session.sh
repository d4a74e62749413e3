# Shared by the desktop scripts: an X server (Xvfb) with the openbox window
# manager, the program started on it, and the user's mouse and keyboard
# (xdotool). Positions are given in points from a window's lower-left
# corner, as the program places its controls; the server runs at 96 dpi.
# Source it; everything started is stopped when the script exits.

desktop_dir=$(mktemp -d)
xvfb_pid=
openbox_pid=
program_pid=
# An openbox configuration file to use instead of the user's, if set.
openbox_config=

desktop_stop() {
    for pid in $program_pid $openbox_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$desktop_dir"
}
trap desktop_stop EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -s "$desktop_dir/program.log" ] && sed 's/^/  program: /' "$desktop_dir/program.log" >&2
    exit 1
}

# Starts Xvfb and openbox; exits 77 (skipped) when either is missing.
desktop_start() {
    local tool
    for tool in Xvfb openbox xdotool xprop; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp \
        3>"$desktop_dir/display" 2>"$desktop_dir/xvfb.log" &
    xvfb_pid=$!
    # Generous waits: a loaded machine (a parallel test run) starts both slowly.
    local i
    for i in $(seq 400); do
        [ -s "$desktop_dir/display" ] && break
        sleep 0.05
    done
    [ -s "$desktop_dir/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -1 "$desktop_dir/display")"
    openbox --sm-disable ${openbox_config:+--config-file "$openbox_config"} \
        >"$desktop_dir/openbox.log" 2>&1 &
    openbox_pid=$!
    for i in $(seq 400); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
    fail "openbox did not start: $(head -c 300 "$desktop_dir/openbox.log")"
}

# Starts the program on the desktop with the real window system.
program_start() {
    QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 "$@" >"$desktop_dir/program.log" 2>&1 &
    program_pid=$!
    sleep 0.2
    kill -0 "$program_pid" 2>/dev/null
}

# Waits for the program to end by itself; its exit status.
program_wait() {
    local i
    for i in $(seq 100); do
        if ! kill -0 "$program_pid" 2>/dev/null; then
            wait "$program_pid"
            local status=$?
            program_pid=
            return $status
        fi
        sleep 0.05
    done
    return 1
}

# Lets events pass and windows settle (a new window: more than a
# double-click interval, so that a click on it counts).
settle() {
    sleep "${1:-0.2}"
}

# The program's visible windows, one id a line.
program_windows() {
    xdotool search --all --onlyvisible --pid "$program_pid" --name '.' 2>/dev/null
}

count_windows() {
    program_windows | wc -l
}

window_names() {
    local w
    for w in $(program_windows); do printf '[%s] ' "$(xdotool getwindowname "$w")"; done
}

is_visible() {
    program_windows | grep -q -x "$1"
}

# The newest visible window of the program whose title matches and which
# is not `old` (screens share titles); waits up to 10 s.
wait_new_window() {
    local i w
    for i in $(seq 200); do
        w=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" 2>/dev/null |
            grep -v -x -e "${2:-none}" | tail -1)
        if [ -n "$w" ]; then
            settle 0.5
            echo "$w"
            return 0
        fi
        sleep 0.05
    done
    return 1
}

wait_window() {
    wait_new_window "$1" none
}

wait_gone() {
    local i
    for i in $(seq 100); do
        is_visible "$1" || return 0
        sleep 0.05
    done
    return 1
}

# The window's client area: its left and top edges on the screen.
window_corner() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y"
}

# A click at [x y] points from the window's lower-left corner.
click_points() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local px py
    px=$(awk -v p="$2" 'BEGIN { printf "%d", p * 96 / 72 + 0.5 }')
    py=$(awk -v p="$3" -v h="$HEIGHT" 'BEGIN { printf "%d", h - p * 96 / 72 + 0.5 }')
    xdotool mousemove --window "$1" "$px" "$py" click 1
}

# As the user's click on the title bar: the window to the front.
raise_window() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowraise "$1"
    settle
}

key_in() {
    local w=$1
    shift
    xdotool windowactivate --sync "$w" 2>/dev/null
    xdotool key --delay 50 "$@"
    settle
}

type_in() {
    xdotool windowactivate --sync "$1" 2>/dev/null
    xdotool type --delay 50 "$2"
    settle
}
