#!/usr/bin/env bash
# The manual page of velmora-spectra documents exactly the options and the
# exit statuses that its --help lists, short and long names paired alike.
#
#   man_page_options.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=${1:?usage: man_page_options.sh BUILD_DIR SOURCE_DIR}
page=${2:?usage: man_page_options.sh BUILD_DIR SOURCE_DIR}/packaging/velmora-spectra.1.scd
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-man-XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/velmora-spectra" --help > "$work/help"
# "  -r,--record N ..." and "  --dt S ..." -> "-r --record", "--dt"
grep -oE '^  (-[A-Za-z],)?--[a-z0-9-]+' "$work/help" | sed -E 's/^ +//; s/,/ /' |
    sort > "$work/help.options"
# "*-r*, *--record* _N_" -> "-r --record", within the OPTIONS section
sed -n '/^# OPTIONS$/,/^# /p' "$page" | grep -E '^\*-' | while read -r line; do
    grep -oE '\*-{1,2}[A-Za-z0-9-]+\*' <<< "$line" | tr -d '*' | paste -sd' '
done | sort > "$work/page.options"
if ! diff -u --label "--help" "$work/help.options" --label "velmora-spectra(1)" \
    "$work/page.options"; then
    echo "man page: the options of velmora-spectra(1) and of --help differ" >&2
    exit 1
fi
(($(wc -l < "$work/help.options") >= 10)) || { echo "man page: --help lists too few options" >&2; exit 1; }

sed -n '/^Exit status:/,$p' "$work/help" | grep -oE '(^|[:,] )[0-9]+ ' | grep -oE '[0-9]+' |
    sort > "$work/help.statuses"
sed -n '/^# EXIT STATUS$/,/^# /p' "$page" | grep -oE '^\*[0-9]+\*$' | tr -d '*' |
    sort > "$work/page.statuses"
if ! diff -u --label "--help" "$work/help.statuses" --label "velmora-spectra(1)" \
    "$work/page.statuses" || [[ ! -s "$work/help.statuses" ]]; then
    echo "man page: the exit statuses of velmora-spectra(1) and of --help differ" >&2
    exit 1
fi
echo "man page: $(wc -l < "$work/help.options") options and exit statuses" \
    "$(paste -sd' ' "$work/help.statuses") agree with --help"
