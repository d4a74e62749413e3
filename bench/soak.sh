#!/usr/bin/env bash
# Soak test: RUNS analysis runs in one velmora-script session, alternately
# Option 1 and Option 2. Each run opens all five plot windows, closes them
# with CLOSE FIG. and closes its results window; the welcome window stays
# open so the session goes on. The resident size is taken after run 10 and
# after the last run, the window and object counts before the first run
# and after the last.
#
#   bench/soak.sh BUILD_DIR [RUNS] [MAX_GROWTH_KB]
#
# Fails when any run reports an error, when the resident size grows by more
# than MAX_GROWTH_KB (default 2048) from run 10 to the last run, or when
# the window or object count does not return to where it started. Under
# AddressSanitizer the resident size says nothing (freed memory is held in
# quarantine), so only the counts are checked there.
set -euo pipefail

build=${1:?usage: soak.sh BUILD_DIR [RUNS] [MAX_GROWTH_KB]}
runs=${2:-1000}
max_growth_kb=${3:-2048}
program="$build/velmora-script"
if (( runs < 10 )); then
    echo "soak: RUNS must be at least 10" >&2
    exit 2
fi
[[ -x "$program" ]] || { echo "soak: $program is not built" >&2; exit 2; }
export VELMORA_DATA=${VELMORA_DATA:-$build/data}

work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-soak-XXXXXX")
trap 'rm -rf "$work"' EXIT

option1="VELMORA: OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS"
option2="VELMORA: OPTION 2 - A SET OF EARTHQUAKES AND A SINGLE DAMPING RATIO"
buttons=("Ground Acceleration Time History" "Spectral Displacement" "Pseudo Spectral Velocity"
    "Spectral Velocity" "Spectral Acceleration")

{
    echo "stats"
    for ((i = 1; i <= runs; i++)); do
        if ((i % 2)); then option=1 window=$option1; else option=2 window=$option2; fi
        echo "set option $option"
        echo "eval velmora_gui06(0)"
        for b in "${buttons[@]}"; do
            echo "window $window"
            echo "press $b"
        done
        echo "window $window"
        echo "press CLOSE FIG."
        echo "close $window"
        if ((i == 10 || i == runs)); then echo "stats"; fi
    done
} > "$work/script"

start=$(date +%s.%N)
"$program" "$work/script" > "$work/out"
end=$(date +%s.%N)

if grep -q '^error: ' "$work/out"; then
    echo "soak: the session reported errors:" >&2
    grep '^error: ' "$work/out" | sort | uniq -c | head >&2
    exit 1
fi
mapfile -t stats < <(grep '^{"figures"' "$work/out")
if ((${#stats[@]} != 3)); then
    echo "soak: expected 3 stats lines, got ${#stats[@]}" >&2
    tail -n 20 "$work/out" >&2
    exit 1
fi
field() { sed -E "s/.*\"$2\":(-?[0-9]+).*/\1/" <<< "$1"; }

base_figures=$(field "${stats[0]}" figures)
base_objects=$(field "${stats[0]}" objects)
base_rss=$(field "${stats[0]}" rss_kb)
rss10=$(field "${stats[1]}" rss_kb)
end_figures=$(field "${stats[2]}" figures)
end_objects=$(field "${stats[2]}" objects)
rss_end=$(field "${stats[2]}" rss_kb)
growth=$((rss_end - rss10))
seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')

echo "soak: $runs runs in $seconds s"
echo "soak: baseline    figures=$base_figures objects=$base_objects rss_kb=$base_rss"
echo "soak: after 10    figures=$(field "${stats[1]}" figures) objects=$(field "${stats[1]}" objects) rss_kb=$rss10"
echo "soak: after $runs  figures=$end_figures objects=$end_objects rss_kb=$rss_end"
echo "soak: RSS growth from run 10 to run $runs: $growth KB (limit $max_growth_kb KB)"

status=0
if ((end_figures != base_figures || end_objects != base_objects)); then
    echo "soak: FAIL: windows or objects left behind" >&2
    status=1
fi
if grep -qa __asan_init "$program"; then
    echo "soak: AddressSanitizer build, resident size not checked"
elif ((growth > max_growth_kb)); then
    echo "soak: FAIL: the resident size grew by $growth KB" >&2
    status=1
fi
exit $status
