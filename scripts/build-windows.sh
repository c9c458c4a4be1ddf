#!/usr/bin/env bash
# Builds the Windows programs on Linux and leaves them in DEST with everything they load:
# corvalis.exe, the window program with Qt for MinGW, and corvalis-render.exe, which needs no
# DLL. DEST is then ready to run under Wine or to be copied to a Windows machine.
# Usage: scripts/build-windows.sh DEST
# Qt for MinGW comes from the archive CORVALIS_QT_MINGW (by default the one in the folder
# shared/qt6-mingw beside the source folder), unpacked into the build folder.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: scripts/build-windows.sh DEST" >&2; exit 2; }
dest=$(realpath -m "$1")
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh windows
build=build-windows-gui  # the mingw-gui preset's, which finds Qt in it
archive=$(qt_mingw_archive)
[ -f "$archive" ] || { echo "build-windows: no Qt for MinGW at $archive (set CORVALIS_QT_MINGW to its archive)" >&2; exit 1; }

qt=$PWD/$build/qt6-mingw
if [ ! -d "$qt" ] || [ "$archive" -nt "$qt" ]; then
  rm -rf "$qt"
  mkdir -p "$build"
  tar -xf "$archive" -C "$build"
fi
build_preset mingw-gui

# The deployment: the programs, the Qt plugins they load by name, and every DLL any of them
# imports that is not the system's, found where Qt and MinGW keep them.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
dll_folders=("$qt/bin" "$runtime" /usr/x86_64-w64-mingw32/lib)
rm -rf "$dest"
mkdir -p "$dest/platforms" "$dest/styles" "$dest/translations"
cp "$build/bin/corvalis.exe" "$build/bin/corvalis-render.exe" "$dest/"
cp "$qt/plugins/platforms/qwindows.dll" "$dest/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$dest/styles/"
# Qt's own texts in Japanese, whatever the system's language (the program looks here first).
cp /usr/share/qt6/translations/qtbase_ja.qm "$dest/translations/"

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
pending=("$dest"/*.exe "$dest"/platforms/*.dll "$dest"/styles/*.dll)
while [ ${#pending[@]} -gt 0 ]; do
  file=${pending[0]}
  pending=("${pending[@]:1}")
  for dll in $(imports "$file"); do
    [ -e "$dest/$dll" ] && continue
    for folder in "${dll_folders[@]}"; do
      if [ -f "$folder/$dll" ]; then
        cp "$folder/$dll" "$dest/"
        pending+=("$dest/$dll")
        break
      fi
    done  # not found: a DLL of the system's
  done
done
# Without their symbols: MinGW's runtime DLLs come with them, which only a debugger reads.
x86_64-w64-mingw32-strip --strip-unneeded "$dest"/*.exe "$dest"/*.dll "$dest"/*/*.dll
echo "build-windows: $(ls "$dest" | tr '\n' ' ')in $dest"
