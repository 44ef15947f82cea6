#!/bin/bash
# Checks the installation of a built tree: `cmake --install` puts the program,
# its menu entry and its icons where a desktop finds them, and the Debian
# package holds the same files and names the packages the program needs.
#   scripts/package-check.sh <build-dir>
set -euo pipefail
BUILD=$(cd "${1:?build folder}" && pwd)
WORK=$(mktemp -d /tmp/vetch-package.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$BUILD" --prefix "$WORK/prefix" >/dev/null
P=$WORK/prefix
[[ -x $P/bin/vetch ]] || fail "no bin/vetch"
[[ -f $P/share/applications/vetch.desktop ]] || fail "no share/applications/vetch.desktop"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$P/share/applications/vetch.desktop" || fail "vetch.desktop is not valid"
fi
grep -qx 'Exec=vetch' "$P/share/applications/vetch.desktop" || fail "the menu entry does not start vetch"
grep -qx 'Icon=vetch' "$P/share/applications/vetch.desktop" || fail "the menu entry names no icon vetch"
for size in 48 256; do
  png=$P/share/icons/hicolor/${size}x${size}/apps/vetch.png
  [[ -f $png ]] || fail "no ${size}x${size} icon"
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [[ $dims == "${size}x${size}" ]] || fail "the ${size}x${size} icon is $dims"
done
echo "install: bin/vetch, vetch.desktop, icons 48 and 256: ok"

# The package: built from the same tree into the scratch folder.
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/deb" >/dev/null)
DEB=$(ls "$WORK"/deb/vetch_*.deb)
contents=$(dpkg-deb -c "$DEB")
for f in ./usr/bin/vetch ./usr/share/applications/vetch.desktop \
         ./usr/share/icons/hicolor/48x48/apps/vetch.png ./usr/share/icons/hicolor/256x256/apps/vetch.png; do
  grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
done
depends=$(dpkg-deb -f "$DEB" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libodbc2 unixodbc fonts-ipafont-gothic; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || fail "the package does not depend on $p: $depends"
done
echo "package $(basename "$DEB"): files and dependencies ok"
