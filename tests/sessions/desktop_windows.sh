#!/bin/bash
# The program on a real X desktop with a window manager (Xvfb and openbox),
# driven with the mouse and the keyboard as a user drives it (xdotool):
# - a plot window open, BACK on the results window, DONE again: the run
#   closes its please-wait window, the plot window stays, three times over;
# - plot windows cascade from the results window instead of covering it;
# - the error window is a dialog of its screen (WM_TRANSIENT_FOR), stays
#   above it when the screen is clicked, and Return presses its BACK.
# Skipped (exit 77) when Xvfb, openbox or xdotool is missing.
# Usage: desktop_windows.sh BUILD_DIR
set -u
build=${1:?usage: desktop_windows.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../desktop/xvfb_session.sh"

desktop_start || exit $?
program_start "$build/velmora" || fail "the program did not start"

option1='^VELMORA: OPTION 1 - A SINGLE'
plot='^FIG/VELMORA: OPTION 1 - Spectral Acceleration$'

# Welcome window, Option 1.
welcome=$(wait_window '^VELMORA: Welcome$') || fail "no welcome window"
click_points "$welcome" 209.25 114.75
screen=$(wait_window "$option1") || fail "no Option 1 screen"

# An invalid number of damping ratios: Tab from the list to the second
# field (Tab selects its text), type over it, DONE.
key_in "$screen" Tab Tab
type_in "$screen" 12
click_points "$screen" 330 42.5
error=$(wait_window '^VELMORA: Error$') || fail "no error window"
transient=$(xprop -id "$error" WM_TRANSIENT_FOR | grep -o '0x[0-9a-f]*')
[ "$((transient))" = "$((screen))" ] || fail "the error window is not transient for its screen"
# Clicking the screen (its heading) leaves the error window above it.
click_points "$screen" 60 270
settle 0.5
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | cut -d'#' -f2)
above=$(for w in $stacking; do echo $((w)); done | grep -n -x -e "$screen" -e "$error" | tail -1 | cut -d: -f2)
[ "$above" = "$error" ] || fail "the screen was raised over its error window"
key_in "$error" Return
wait_gone "$error" || fail "Return did not press the error window's BACK"
[ "$(count_windows)" = 1 ] || fail "expected the Option 1 screen alone, have: $(window_names)"

# A valid count typed over the old one, then DONE twice: the results window.
click_points "$screen" 270.1 123.75
key_in "$screen" ctrl+a
type_in "$screen" 5
click_points "$screen" 330 42.5
ratios=$(wait_new_window "$option1" "$screen") || fail "no damping ratios screen"
click_points "$ratios" 330 42.5
results=$(wait_new_window "$option1" "$ratios") || fail "no results window"

# The spectral acceleration plot, beside the results window.
click_points "$results" 210 114
plotwin=$(wait_window "$plot") || fail "no plot window"
read -r rx ry < <(window_corner "$results")
read -r px py < <(window_corner "$plotwin")
[ "$px" -gt "$rx" ] && [ "$py" -gt "$ry" ] ||
    fail "the plot window ($px,$py) covers the results window ($rx,$ry)"

for round in 1 2 3; do
    # The results window to the front (its title bar), BACK, DONE.
    raise_window "$results"
    click_points "$results" 210 42.5
    ratios=$(wait_new_window "$option1" "$results") || fail "round $round: BACK did nothing"
    click_points "$ratios" 330 42.5
    results=$(wait_new_window "$option1" "$ratios") || fail "round $round: no results window"
    names=$(window_names)
    [ "$(count_windows)" = 2 ] || fail "round $round: expected the plot and the results, have: $names"
    echo "$names" | grep -q 'Please Wait' && fail "round $round: the please-wait window stayed"
    is_visible "$plotwin" || fail "round $round: the plot window was closed"
done

# QUIT ends the program.
raise_window "$results"
click_points "$results" 90 42.5
program_wait || fail "QUIT did not end the program"
echo "PASS: the right windows closed, placed and kept in front under openbox"
