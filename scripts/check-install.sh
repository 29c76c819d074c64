#!/bin/sh
# Installs a built tree into a scratch prefix and checks what a desktop expects:
# the program (which answers --version), its menu entry, icon and AppStream data.
# Usage: scripts/check-install.sh BUILD_DIR
set -eu
build=${1:?usage: check-install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail=0
for f in bin/corvana share/applications/org.corvana.Corvana.desktop \
         share/icons/hicolor/scalable/apps/org.corvana.Corvana.svg \
         share/metainfo/org.corvana.Corvana.metainfo.xml; do
    [ -f "$prefix/$f" ] || { echo "missing: $f"; fail=1; }
done
[ "$fail" = 0 ] || exit 1
version=$(env -u DISPLAY "$prefix/bin/corvana" --version)
[ "$version" = "Corvana 2.3" ] || { echo "--version said: $version"; exit 1; }
grep -q '^Exec=corvana$' "$prefix/share/applications/org.corvana.Corvana.desktop" || { echo "bad Exec line"; exit 1; }
grep -q '^Icon=org.corvana.Corvana$' "$prefix/share/applications/org.corvana.Corvana.desktop" || { echo "bad Icon line"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/org.corvana.Corvana.desktop"
fi
if command -v xmllint >/dev/null; then
    xmllint --noout "$prefix/share/metainfo/org.corvana.Corvana.metainfo.xml" \
                    "$prefix/share/icons/hicolor/scalable/apps/org.corvana.Corvana.svg"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/org.corvana.Corvana.metainfo.xml" >/dev/null
fi
echo "install tree ok"
