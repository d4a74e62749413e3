#!/usr/bin/env bash
# Runs installed programs as a user would, with no VELMORA_DATA: they must
# find the data folder of their own install.
#
#   installed_programs.sh BIN_DIR DATA_DIR
#
# BIN_DIR holds the installed velmora-spectra and velmora-script, DATA_DIR
# the installed data folder they should read. Checks that
#   - velmora-spectra --record 1 succeeds, and with --plot draws a PNG and
#     an SVG through the drawing program of its own install;
#   - velmora-script goes through an Option 1 run (record 1, damping 0.02
#     and 0.05) without an error, and its SD rows are those velmora-spectra
#     --classic computes;
#   - with record 1's file moved away, both fail naming DATA_DIR, so it is
#     that folder they read and not one of another install.
set -euo pipefail
bin=${1:?usage: installed_programs.sh BIN_DIR DATA_DIR}
data=$(cd "${2:?usage: installed_programs.sh BIN_DIR DATA_DIR}" && pwd -P)
unset VELMORA_DATA
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-installed-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "installed programs: FAIL: $*" >&2; exit 1; }

"$bin/velmora-spectra" --record 1 --quiet > "$work/record1.csv" 2> "$work/err" ||
    fail "velmora-spectra --record 1: $(cat "$work/err")"
rows=$(grep -c '^[0-9]' "$work/record1.csv" || true)
((rows == 160)) || fail "velmora-spectra --record 1 wrote $rows rows of numbers, not 160 periods"
for figure in fig.png fig.svg; do
    "$bin/velmora-spectra" --record 1,5 --quiet --plot "$work/$figure" > /dev/null 2> "$work/err" ||
        fail "velmora-spectra --plot $figure: $(cat "$work/err")"
done
[[ $(head -c 4 "$work/fig.png") == $'\x89PNG' ]] || fail "--plot fig.png wrote no PNG image"
grep -q 'Spectral Acceleration' "$work/fig.svg" || fail "--plot fig.svg holds no SA panel"

"$bin/velmora-spectra" --classic --record 1 --damping 0.02,0.05 --format json --quiet \
    > "$work/classic.json" 2> "$work/err" || fail "velmora-spectra --classic: $(cat "$work/err")"

cat > "$work/option1" <<'SCRIPT'
press OPTION 1 - A SINGLE EARTHQUAKE AND A SET OF DAMPING RATIOS 
select 2
edit 1 2
press DONE
edit 1 0.02
edit 2 0.05
press DONE
dump
SCRIPT
"$bin/velmora-script" "$work/option1" > "$work/session" 2> "$work/err" ||
    fail "velmora-script: $(cat "$work/err")"
if grep -q '^error: ' "$work/session"; then
    fail "the Option 1 run reported: $(grep '^error: ' "$work/session")"
fi
python3 - "$work/session" "$work/classic.json" <<'PY' || fail "the Option 1 run's results"
import json, math, sys
dump = json.loads(open(sys.argv[1]).read().splitlines()[-1])
sd = dump["globals"]["SD"]
assert sd["size"] == [2, 160], f"SD is {sd['size']}, not 2 x 160"
classic = json.load(open(sys.argv[2]))["records"][0]["damping"]
for row, ratio in zip(sd["rows"], classic):
    for a, b in zip(row, ratio["sd"]):
        assert math.isfinite(a) and a > 0 and abs(a - b) <= 1e-12 * abs(b), (ratio["zeta"], a, b)
PY

# Without record 1's file both must say they looked in DATA_DIR.
mv "$data/Impval1.mat" "$work/Impval1.mat"
restore() { mv "$work/Impval1.mat" "$data/Impval1.mat"; rm -rf "$work"; }
trap restore EXIT
if "$bin/velmora-spectra" --record 1 --quiet > /dev/null 2> "$work/err"; then
    fail "velmora-spectra --record 1 succeeded without the record file"
fi
grep -qF "$data" "$work/err" || fail "velmora-spectra did not read $data: $(cat "$work/err")"
"$bin/velmora-script" "$work/option1" > "$work/session" 2> "$work/err" || true
grep -qF "$data" "$work/session" ||
    fail "velmora-script did not read $data: $(grep '^error: ' "$work/session")"
echo "installed programs: velmora-spectra (with its figures) and velmora-script run from $bin with the data in $data"
