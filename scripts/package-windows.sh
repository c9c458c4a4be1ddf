#!/usr/bin/env bash
# Makes the Windows release files from the programs scripts/build-windows.sh deploys:
#   build-windows-gui/Corvalis-<version>-win64-setup.exe  the setup program (NSIS, from
#                                                          packaging/windows)
#   build-windows-gui/Corvalis-<version>-win64.zip        the same files in one folder, to
#                                                          unpack and run anywhere
# Installs what is missing first.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh windows-release
build=build-windows-gui  # the mingw-gui preset's
deploy=$PWD/$build/deploy
scripts/build-windows.sh "$deploy"
name=Corvalis-$(project_version "$build")-win64
work=$PWD/$build/package
rm -rf "$work"
mkdir -p "$work"

# The NSIS macros that install and remove the deployed files and folders, every one by name,
# so that the uninstaller removes nothing it did not install; and their size.
mapfile -t files < <(cd "$deploy" && find . -type f -printf '%P\n' | LC_ALL=C sort)
mapfile -t folders < <(cd "$deploy" && find . -mindepth 1 -type d -printf '%P\n' | LC_ALL=C sort -r)
windows_path() { echo "\$INSTDIR${1:+\\${1//\//\\}}"; }
{
  find "$deploy" -type f -printf '%s\n' |
    awk '{ bytes += $1 } END { printf "!define INSTALLED_SIZE_KB %d\n", (bytes + 1023) / 1024 }'
  echo '!macro InstallFiles'
  folder=none
  for file in "${files[@]}"; do
    parent=$(dirname "$file")
    parent=${parent#.}
    [ "$parent" = "$folder" ] || echo "  SetOutPath \"$(windows_path "$parent")\""
    folder=$parent
    echo "  File \"$deploy/$file\""
  done
  echo '!macroend'
  echo '!macro RemoveFiles'
  for file in "${files[@]}"; do echo "  Delete \"$(windows_path "$file")\""; done
  # The deepest folders first: each is empty by then, unless it holds someone else's files.
  for folder in "${folders[@]}"; do echo "  RMDir \"$(windows_path "$folder")\""; done
  echo '!macroend'
} >"$work/files.nsh"

makensis -V2 -WX -INPUTCHARSET UTF8 -DFILES="$work/files.nsh" -DOUTFILE="$PWD/$build/$name-setup.exe" \
  "$build/packaging/windows/corvalis-setup.nsi"

cp -r "$deploy" "$work/$name"
rm -f "$build/$name.zip"
(cd "$work" && zip -q -r -X "../$name.zip" "$name")
ls -l "$build/$name-setup.exe" "$build/$name.zip"
