#!/bin/bash
# Screenshots for the documentation, taken on a real X desktop with the
# openbox window manager: an Option 1 run with nine damping ratios, the
# results window with its five plot windows cascaded over it, and the
# spectral acceleration plot with its nine curves and the hover readout.
# Needs Xvfb, openbox, xdotool, xprop and ImageMagick's import.
# Usage: screenshots.sh BUILD_DIR OUTPUT_DIR
set -u
build=${1:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}
out=${2:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"
command -v import >/dev/null || fail "ImageMagick's import is not installed"
mkdir -p "$out"
export VELMORA_DATA=${VELMORA_DATA:-$build/data}

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

desktop_start || exit $?
program_start "$build/velmora" || fail "the program did not start"
option1='^VELMORA: OPTION 1 - A SINGLE'

welcome=$(wait_window '^VELMORA: Welcome$') || fail "no welcome window"
click_points "$welcome" 209.25 114.75
screen=$(wait_window "$option1") || fail "no Option 1 screen"
# Nine damping ratios.
click_points "$screen" 270.1 123.75
key_in "$screen" ctrl+a
type_in "$screen" 9
click_points "$screen" 330 42.5
ratios=$(wait_new_window "$option1" "$screen") || fail "no damping ratios screen"
# The first field has the focus; Tab selects the next one's text.
for ratio in 0.01 0.02 0.03 0.05 0.07 0.1 0.15 0.2 0.3; do
    key_in "$ratios" ctrl+a
    type_in "$ratios" "$ratio"
    key_in "$ratios" Tab
done
click_points "$ratios" 330 42.5
results=$(wait_new_window "$option1" "$ratios") || fail "no results window"

# All five plot windows, top button to bottom.
plots=()
for y in 250 216 182 148 114; do
    raise_window "$results"
    click_points "$results" 210 "$y"
    sleep 1
done
for name in 'Acceleration Time History' 'Spectral Displacement' 'Pseudo Spectral Velocity' \
    'Spectral Velocity' 'Spectral Acceleration'; do
    plots+=("$(wait_window "^FIG/VELMORA: OPTION 1 - $name\$")") || fail "no $name window"
done
settle 1
import -window root -crop "$(area_of "$results" "${plots[@]}")" +repage \
    "$out/results_option1_five_plots_cascaded.png"

# The spectral acceleration plot in front, the mouse over a curve at 1.2 s.
sa=${plots[4]}
raise_window "$sa"
eval "$(xdotool getwindowgeometry --shell "$sa")"
xdotool mousemove --window "$sa" $((WIDTH * 55 / 100)) $((HEIGHT * 52 / 100))
sleep 0.3
xdotool mousemove_relative 1 1
sleep 1.5
extra=120
import -window root -crop "$(area_of "$sa")" +repage "$out/plot_option1_sa_nine_ratios.png"
echo "written: $out/results_option1_five_plots_cascaded.png $out/plot_option1_sa_nine_ratios.png"
