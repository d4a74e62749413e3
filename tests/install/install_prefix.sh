#!/usr/bin/env bash
# Installs the build into a scratch prefix with `cmake --install`, as a user
# would into ~/opt, then runs the installed programs from there.
#
#   install_prefix.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: install_prefix.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d "${TMPDIR:-/tmp}/velmora-prefix-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" 2>&1 ||
    { cat "$prefix/install.log" >&2; exit 1; }
for f in bin/velmora bin/velmora-spectra bin/velmora-script libexec/velmora/velmora-spectra-plot \
    share/velmora/data/velmora_gui.mat \
    share/applications/org.velmora.Velmora.desktop share/metainfo/org.velmora.Velmora.metainfo.xml \
    share/icons/hicolor/scalable/apps/velmora.svg share/doc/velmora/copyright; do
    [[ -e "$prefix/$f" ]] || { echo "install prefix: $f was not installed" >&2; exit 1; }
done
bash "$here/installed_programs.sh" "$prefix/bin" "$prefix/share/velmora/data"
