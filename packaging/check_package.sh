#!/usr/bin/env bash
# Checks the Debian package of a build: unpacks it into a scratch root, runs
# the programs from there without VELMORA_DATA, and validates it with
# lintian (no errors), desktop-file-validate and appstreamcli.
#
#   check_package.sh DEB_FILE
set -euo pipefail
deb=${1:?usage: check_package.sh DEB_FILE}
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/velmora-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT

dpkg-deb -x "$deb" "$root"
for f in usr/bin/velmora usr/bin/velmora-spectra usr/bin/velmora-script \
    usr/libexec/velmora/velmora-spectra-plot \
    usr/share/man/man1/velmora.1.gz usr/share/man/man1/velmora-spectra.1.gz \
    usr/share/doc/velmora/copyright usr/share/doc/velmora/changelog.gz; do
    [[ -e "$root/$f" ]] || { echo "package: $f is missing" >&2; exit 1; }
done
bash "$here/../tests/install/installed_programs.sh" "$root/usr/bin" "$root/usr/share/velmora/data"

desktop-file-validate "$root/usr/share/applications/org.velmora.Velmora.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.velmora.Velmora.metainfo.xml"
# Errors fail; warnings and notes are printed for the record.
lintian --fail-on error --display-info "$deb"
echo "package: $(basename "$deb") checked"
