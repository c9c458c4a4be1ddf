#!/usr/bin/env bash
# The Windows window program, checked on this Linux machine: builds corvalis.exe with Qt for
# MinGW and deploys it (scripts/build-windows.sh), reads its resources back from the .exe, and
# runs the end-to-end test under Wine on a private virtual screen. SHOTS, when set, names a
# folder that keeps the test's screenshots.
# Usage: scripts/windows-window-check.sh
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dest=$PWD/build-windows-gui/deploy

started=$(now)
scripts/build-windows.sh "$dest"
took "build and deployment" "$started"

echo "== The resources of corvalis.exe"
exe=$dest/corvalis.exe
scratch=$(mktemp -d)
WINE_ROOT=$scratch/wine
export WINE_ROOT
source scripts/wine-env.sh
trap 'wine_stop; rm -rf "$scratch"' EXIT
wrestool -l "$exe"
wrestool -x --type=14 --name=128 "$exe" >"$scratch/group.ico"
images=$(icotool -l "$scratch/group.ico" | wc -l)
echo "icon group 128: $images images"
[ "$images" -eq 9 ] || { echo "windows-window-check: icon group 128 has $images images, not 9" >&2; exit 1; }
version=$(wrestool -x --raw --type=16 "$exe" | iconv -f UTF-16LE -t UTF-8 -c | tr -c '[:print:]' '\n' | grep -v '^$')
echo "version strings: $(echo "$version" | tr '\n' '|')"
for text in "FileVersion" "1, 0, 0, 1" "InternalName" "Corvalis.EXE"; do
  echo "$version" | grep -q -F "$text" || { echo "windows-window-check: no '$text' in the version resource" >&2; exit 1; }
done
wrestool -x --raw --type=24 "$exe" | tee "$scratch/manifest.xml"
grep -q 'version="1.0.0.0" processorArchitecture="amd64"' "$scratch/manifest.xml" &&
  grep -q 'processorArchitecture="\*" publicKeyToken' "$scratch/manifest.xml" ||
  { echo "windows-window-check: the manifest names the wrong architecture" >&2; exit 1; }

echo "== corvalis.exe under Wine"
# The screenshots are read by the Linux build's screenshot_check.
build_preset release screenshot_check >/dev/null
started=$(now)
wine_start_screen
took "Wine prefix made and started" "$started"
started=$(now)
tests/e2e/window_wine_e2e.sh "$dest" build/tests/screenshot_check
took "end-to-end test under Wine" "$started"
