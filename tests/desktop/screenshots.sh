#!/bin/bash
# Every image of docs/screenshots, taken from the program on a real X
# desktop (Xvfb, the openbox window manager) and driven with the mouse and
# the keyboard as a user drives it (xdotool), with real recordings only:
# - Option 1: Northridge 1994 at Sylmar with five damping ratios: its
#   screens, the error window, the results window, the five plot windows
#   one by one and cascaded over the results window; then the same record
#   with nine damping ratios and the hover readout on a spectrum;
# - Option 2: El Centro 1940 and Northridge 1994 at Sylmar and at Arleta,
#   scaled to a peak of about 3.4 m/s^2: its screens, the results window
#   and the five plot windows.
# A single window is photographed without its frame; several windows
# together with their frames. Needs Xvfb, openbox, xdotool, xprop and
# ImageMagick's import. Takes about a minute.
# Usage: screenshots.sh [BUILD_DIR [OUTPUT_DIR]]   (build, docs/screenshots)
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
out=${2:-$root/docs/screenshots}
source "$here/xvfb_session.sh"
command -v import >/dev/null || fail "ImageMagick's import is not installed"
[ -x "$build/velmora" ] || fail "no program at $build/velmora: build it first"
export VELMORA_DATA=${VELMORA_DATA:-$build/data}

# Taken into a scratch folder; moved to OUTPUT_DIR only when all are taken.
shots=$desktop_dir/shots
mkdir -p "$shots"
written=()

# Window titles in openbox's regular weight rather than bold, so that the
# long titles of the screens fit their title bars.
if [ -r /etc/xdg/openbox/rc.xml ]; then
    openbox_config=$desktop_dir/rc.xml
    sed '/<font place="ActiveWindow">/,/<font place="MenuHeader">/ s|<weight>bold</weight>|<weight>normal</weight>|' \
        /etc/xdg/openbox/rc.xml >"$openbox_config"
fi

# The screen's area that holds all of these windows, frames included, with
# a margin (and $extra more pixels on the right, for a tooltip), as an
# ImageMagick geometry.
extra=0
area_of() {
    local left=100000 top=100000 right=0 bottom=0 w X Y WIDTH HEIGHT SCREEN WINDOW
    for w in "$@"; do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        ((X < left)) && left=$X
        ((Y < top)) && top=$Y
        ((X + WIDTH > right)) && right=$((X + WIDTH))
        ((Y + HEIGHT > bottom)) && bottom=$((Y + HEIGHT))
    done
    # The title bars above the client areas, and a margin.
    left=$((left - 12)) top=$((top - 40)) right=$((right + 12 + extra)) bottom=$((bottom + 12))
    ((left < 0)) && left=0
    ((top < 0)) && top=0
    echo "$((right - left))x$((bottom - top))+$left+$top"
}

# The mouse out of the way (no hover effects, no readout), then the picture.
pointer_away() {
    xdotool mousemove 1275 1019
    settle 0.5
}

# One window's client area, in front of the others. With a third argument
# a text field has the focus: End restarts its caret's blinking, so that
# the caret is in every picture.
shoot_window() {
    local w=$1 name=$2
    raise_window "$w"
    pointer_away
    if [ $# -gt 2 ]; then
        xdotool key End
        sleep 0.1
    fi
    import -window "$w" +repage "$shots/$name" || fail "could not take $name"
    written+=("$name")
}

# Several windows with their frames, stacked as they are.
shoot_area() {
    local name=$1
    shift
    import -window root -crop "$(area_of "$@")" +repage "$shots/$name" || fail "could not take $name"
    written+=("$name")
}

# Types over the text of the field that has the focus.
retype() {
    key_in "$1" ctrl+a
    type_in "$1" "$2"
}

# Presses the five buttons of a results window, bottom to top, so that the
# spectral acceleration plot ends in front; `plots` holds the plot windows
# in the buttons' order (time history first).
plots=()
open_plots() {
    local results=$1 option=$2 y name w
    plots=()
    for y in 250 216 182 148 114; do
        raise_window "$results"
        click_points "$results" 210 "$y"
        settle 1
    done
    for name in 'Acceleration Time History' 'Spectral Displacement' 'Pseudo Spectral Velocity' \
        'Spectral Velocity' 'Spectral Acceleration'; do
        w=$(wait_window "^FIG/VELMORA: OPTION $option - $name\$") || fail "no $name window"
        plots+=("$w")
    done
}

# BACK on a screen or results window: the window it opens (screens share
# titles: the one that is not `w`); fails when none opens.
back_from() {
    local w=$1 title=$2
    raise_window "$w"
    click_points "$w" 210 42.5
    wait_new_window "$title" "$w"
}

# CLOSE FIG. on a results window: its plot windows go.
close_figures() {
    raise_window "$1"
    click_points "$1" 330 42
    settle 0.5
}

# Types the damping ratios into their fields, the first of which has the
# focus; Tab selects the next one's text.
type_ratios() {
    local w=$1 ratio
    shift
    retype "$w" "$1"
    shift
    for ratio in "$@"; do
        key_in "$w" Tab
        retype "$w" "$ratio"
    done
}

plot_names=(acc sd psv sv sa)

desktop_start || exit $?
program_start "$build/velmora" || fail "the program did not start"
option1='^VELMORA: OPTION 1 - A SINGLE'
option2='^VELMORA: OPTION 2 - A SET'

welcome=$(wait_window '^VELMORA: Welcome$') || fail "no welcome window"
shoot_window "$welcome" screen_welcome.png

# Option 1: record 5 (list line 6 under the header), scale factor 1.
click_points "$welcome" 209.25 114.75
screen=$(wait_window "$option1") || fail "no Option 1 screen"
click_points "$screen" 150 256
key_in "$screen" Home Down Down Down Down Down
# An invalid number of damping ratios: the error window over its screen.
key_in "$screen" Tab
retype "$screen" 1
key_in "$screen" Tab
retype "$screen" 12
click_points "$screen" 330 42.5
error=$(wait_window '^VELMORA: Error$') || fail "no error window"
# Dragged down over the buttons, as a user would, so that the faulty entry
# shows beside the message.
eval "$(xdotool getwindowgeometry --shell "$screen")"
xdotool windowmove "$error" $((X + 100)) $((Y + 300))
settle 0.5
pointer_away
shoot_area screen_error.png "$screen" "$error"
key_in "$error" Return
wait_gone "$error" || fail "Return did not dismiss the error window"
click_points "$screen" 270.1 123.75
retype "$screen" 5
shoot_window "$screen" screen_option1.png caret

click_points "$screen" 330 42.5
ratios=$(wait_new_window "$option1" "$screen") || fail "no damping ratios screen"
type_ratios "$ratios" 0.01 0.02 0.05 0.1 0.2
shoot_window "$ratios" screen_damping.png caret
click_points "$ratios" 330 42.5
results=$(wait_new_window "$option1" "$ratios") || fail "no results window"
shoot_window "$results" results_option1.png

open_plots "$results" 1
# Stacked as they cascade: the time history at the back, the spectral
# acceleration in front.
for w in "${plots[@]}"; do raise_window "$w"; done
pointer_away
shoot_area results_option1_five_plots_cascaded.png "$results" "${plots[@]}"
for i in 0 1 2 3 4; do
    shoot_window "${plots[i]}" "plot_option1_${plot_names[i]}.png"
done

# The same record with nine damping ratios; the mouse over a curve of the
# spectral acceleration plot, which shows its readout.
close_figures "$results"
ratios=$(back_from "$results" "$option1") || fail "BACK did not open the damping ratios screen"
screen=$(back_from "$ratios" "$option1") || fail "BACK did not open the Option 1 screen"
click_points "$screen" 270.1 123.75
retype "$screen" 9
click_points "$screen" 330 42.5
ratios=$(wait_new_window "$option1" "$screen") || fail "no damping ratios screen"
type_ratios "$ratios" 0.01 0.02 0.03 0.05 0.07 0.1 0.15 0.2 0.3
click_points "$ratios" 330 42.5
results=$(wait_new_window "$option1" "$ratios") || fail "no results window"
raise_window "$results"
click_points "$results" 210 114
sa=$(wait_window '^FIG/VELMORA: OPTION 1 - Spectral Acceleration$') || fail "no spectral acceleration plot"
raise_window "$sa"
eval "$(xdotool getwindowgeometry --shell "$sa")"
xdotool mousemove --window "$sa" $((WIDTH * 55 / 100)) $((HEIGHT * 52 / 100))
sleep 0.3
xdotool mousemove_relative 1 1
sleep 1.5
extra=120
shoot_area plot_option1_sa_nine_ratios.png "$sa"
extra=0

# Option 2: records 1, 5 and 7 (Ctrl+Space adds the current line to the
# selection), damping ratio 0.05.
close_figures "$results"
ratios=$(back_from "$results" "$option1") || fail "BACK did not open the damping ratios screen"
screen=$(back_from "$ratios" "$option1") || fail "BACK did not open the Option 1 screen"
welcome=$(back_from "$screen" '^VELMORA: Welcome$') || fail "BACK did not open the welcome window"
click_points "$welcome" 210 55
screen=$(wait_window "$option2") || fail "no Option 2 screen"
click_points "$screen" 150 256
key_in "$screen" Home Down
key_in "$screen" ctrl+Down ctrl+Down ctrl+Down ctrl+Down ctrl+space
key_in "$screen" ctrl+Down ctrl+Down ctrl+space
click_points "$screen" 206 124.5
retype "$screen" 0.05
shoot_window "$screen" screen_option2.png caret

click_points "$screen" 330 42.5
scales=$(wait_new_window "$option2" "$screen") || fail "no scale factors screen"
# Row i's field: its bottom edge at 263 - 20 (i - 1) points.
row=1
for factor in 1 0.58 1; do
    click_points "$scales" 207 $((270 - 20 * (row - 1)))
    retype "$scales" "$factor"
    row=$((row + 1))
done
shoot_window "$scales" screen_scale.png caret
click_points "$scales" 330 42.5
results=$(wait_new_window "$option2" "$scales") || fail "no results window"
shoot_window "$results" results_option2.png
open_plots "$results" 2
for i in 0 1 2 3 4; do
    shoot_window "${plots[i]}" "plot_option2_${plot_names[i]}.png"
done

mkdir -p "$out" && mv "${written[@]/#/$shots/}" "$out/" || fail "could not move the images to $out"
echo "written in $out: ${written[*]}"
