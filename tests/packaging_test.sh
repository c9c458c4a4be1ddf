#!/usr/bin/env bash
# The program as it is shipped: the Windows resources compile, the icon holds its nine
# images, and an install holds the programs, a valid desktop entry and the icons.
set -u
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

res="$source_dir/src/res"
if x86_64-w64-mingw32-windres --preprocessor=cpp -I "$res" -I "$build_dir/src/res" -i "$res/corvalis.rc" \
     -O coff -o "$work/corvalis.res"; then
  # A 64-bit program names its own architecture and asks for the Common Controls of any.
  for text in "Corvalis.EXE" "1, 0, 0, 1" "Microsoft.Windows.Common-Controls" \
              'version="1.0.0.0" processorArchitecture="amd64"' 'version="6.0.0.0"' \
              'processorArchitecture="\*" publicKeyToken'; do
    # Version strings are stored as UTF-16, the manifest as it is written.
    if ! grep -q -a -e "$text" "$work/corvalis.res" &&
       ! grep -q -a -P "$(printf '%s' "$text" | sed 's/./&\\x00/g')" "$work/corvalis.res"; then
      fail "the compiled resources lack \"$text\""
    fi
  done
else
  fail "corvalis.rc does not compile"
fi

images=$(icotool -l "$res/corvalis.ico")
[ "$(echo "$images" | grep -c .)" -eq 9 ] || fail "corvalis.ico holds $(echo "$images" | grep -c .) images, not 9"
for size in 16 32 48; do
  for depth in 4 8 24; do
    echo "$images" | grep -q -- "--width=$size --height=$size --bit-depth=$depth" ||
      fail "corvalis.ico has no ${size}x$size image of $depth bits"
  done
done

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
for program in corvalis corvalis-render; do
  [ -x "$work/prefix/bin/$program" ] || fail "bin/$program is not installed"
done
desktop="$work/prefix/share/applications/corvalis.desktop"
if [ -f "$desktop" ]; then
  desktop-file-validate --no-hints "$desktop" || fail "the desktop entry is not valid"
else
  fail "no desktop entry installed"
fi
for size in 16 32 48 64 128 256; do
  icon="$work/prefix/share/icons/hicolor/${size}x$size/apps/corvalis.png"
  file "$icon" 2>/dev/null | grep -q "PNG image data, $size x $size" || fail "no ${size}x$size icon"
done

[ "$failures" -eq 0 ] && echo "packaging: all checks passed"
exit "$failures"
