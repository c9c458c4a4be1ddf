#!/usr/bin/env bash
# The Windows build, checked on this Linux machine:
#   1. a build without Qt on Linux (the pure libraries, the command-line programs, the
#      benchmarks and every test that needs no Qt), with its tests;
#   2. the same cross-built for 64-bit Windows with MinGW-w64, its test programs and the
#      command-line tests run under Wine;
#   3. corvalis-render's --levels and -o files from Windows and Linux compared byte for byte,
#      in the window's colours and shaded by the logarithm and by equalisation.
# Installs what it needs through the install step first. Wine runs in a prefix of its own in a
# scratch folder, removed at the end.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh windows
noqt=build-noqt        # the noqt preset's
windows=build-windows  # the mingw preset's

echo "== Linux without Qt (Qt hidden from CMake)"
build_preset noqt
ctest --preset noqt -j "$(nproc)" | tail -n 3

echo "== Windows, cross-built with MinGW-w64"
started=$(now)
build_preset mingw
took "cross-build" "$started"
echo "the application manifest as compiled into the resources of corvalis.exe:"
tr -d '\000' <"$windows/src/res/CMakeFiles/corvalis_resources.dir/corvalis.rc.res" |
  sed -n '/<assembly /,/<\/assembly>/p' | grep -A1 '<assemblyIdentity'

WINE_ROOT=$(mktemp -d)
export WINE_ROOT
source scripts/wine-env.sh
trap 'wine_stop; rm -rf "$WINE_ROOT"' EXIT
started=$(now)
wine_start
took "Wine prefix made and started" "$started"

started=$(now)
ctest --preset mingw -j "$(nproc)" | tail -n 3
awk '/tests? from .* test suites? ran/ { programs++; tests += $2 }
     END { printf "under Wine: %d test programs ran %d tests\n", programs, tests }' \
  "$windows/Testing/Temporary/LastTest.log"
took "tests under Wine" "$started"

echo "== corvalis-render on Windows and on Linux, byte for byte"
linux_render=$noqt/bin/corvalis-render
windows_render=$windows/bin/corvalis-render.exe
compare=$WINE_ROOT/compare
mkdir -p "$compare"
regions=(
  "default:0 3 1 4"
  "chaotic zoom:0.4 3.8 0.6 3.9"
  "above 4:-0.2 4 1.2 4.3"
  "negative x:-0.5 3 0.5 4"
  "deep zoom:0.4897 3.8384 0.4898 3.8386"
)
differences=0
row() { printf '%-13s %-30s %-13s %-8s %-22s %-10s %s\n' "$@"; }
# Renders the levels and the picture on both systems with the options given after the row's
# first five words, and adds the row with what the comparison found.
compare_row() {  # name region size threads colours options...
  local name=$1 region=$2 size=$3 threads=$4 colours=$5 results=() system kind run
  shift 5
  for system in linux windows; do
    if [ $system = linux ]; then run=("$linux_render"); else run=("$WINE" "$windows_render"); fi
    "${run[@]}" "$@" --quiet --levels "$compare/$system.pgm" -o "$compare/$system.png"
  done
  for kind in pgm png; do
    if cmp -s "$compare/linux.$kind" "$compare/windows.$kind"; then
      results+=(identical)
    else
      results+=(DIFFERENT)
      differences=$((differences + 1))
    fi
  done
  row "$name" "$region" "$size" "$threads" "$colours" "${results[0]}" "${results[1]}"
}
row region "" size threads colours levels picture
for entry in "${regions[@]}"; do
  name=${entry%%:*}
  region=${entry#*:}
  for size in "--fit 640x480" "--grid 301x157"; do
    for threads in 1 3; do
      # shellcheck disable=SC2086  # the region and the size are lists of words
      compare_row "$name" "$region" "${size#--}" "$threads" "red" \
        --region $region $size --threads $threads --scheme red
    done
  done
  # The shadings, with the program's own logarithm and the colour maps.
  for colours in "log magma" "equalize viridis"; do
    # shellcheck disable=SC2086
    compare_row "$name" "$region" "fit 640x480" 3 "$colours" \
      --region $region --fit 640x480 --threads 3 --shade ${colours% *} --scheme ${colours#* }
  done
done
[ "$differences" -eq 0 ] || { echo "windows-check: $differences files differ" >&2; exit 1; }
echo "windows-check: passed"
