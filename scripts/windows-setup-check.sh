#!/usr/bin/env bash
# The Windows setup program and archive, checked under Wine in a fresh prefix of their own as
# an administrator and a user meet them:
#   1. the setup installs silently (/S): the archive's files with the uninstaller beside them in
#      C:\Program Files\Corvalis, the Start-menu shortcut and the uninstall key with its values;
#   2. the installed corvalis-render.exe writes the levels of the Linux build, and the installed
#      corvalis.exe shows the picture of 計算 → 計算開始 pixel for pixel and ends with status 0;
#   3. the setup run again with /D= replaces the installed version: the files in the new folder
#      only, one key, one shortcut;
#   4. the key's QuietUninstallString removes it all: after the restart that ends every
#      uninstall, the prefix's files, Start menu and registry are as before the install;
#   5. the archive unpacked into a folder whose name has spaces and Japanese characters runs the
#      same comparison of the window's picture and writes nothing outside that folder.
# Usage: scripts/windows-setup-check.sh [FOLDER]
# FOLDER holds the setup program and the archive (dist after scripts/release.sh); without it
# they are made with scripts/package-windows.sh.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
fail() { echo "windows-setup-check: $*" >&2; exit 1; }
build=build-windows-gui  # the mingw-gui preset's, which made the files
if [ $# -eq 0 ]; then
  scripts/package-windows.sh
  folder=$build
else
  scripts/install-deps.sh windows-release
  folder=$1
fi
name=Corvalis-$(project_version "$build")-win64
setup=$(realpath "$folder/$name-setup.exe")
archive=$(realpath "$folder/$name.zip")
# The screenshots are read, and the levels compared, with the Linux build.
build_preset release corvalis-render screenshot_check >/dev/null
linux_render=$PWD/build/bin/corvalis-render
check=$PWD/build/tests/screenshot_check

scratch=$(mktemp -d)
WINE_ROOT=$scratch/wine
export WINE_ROOT
source scripts/wine-env.sh
trap 'wine_stop; rm -rf "$scratch"' EXIT
started=$(now)
wine_start_screen
took "Wine prefix made and started" "$started"
drive_c=$WINEPREFIX/drive_c
installed="$drive_c/Program Files/Corvalis"
moved=$drive_c/Corvalis
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
uninstall_keys='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
key=$uninstall_keys\\Corvalis
portable_folder="$drive_c/Corvalis 試用 フォルダ"
portable=$portable_folder/$name
mkdir -p "$portable_folder"
unzip -q "$archive" -d "$portable_folder"

# What the prefix holds: every folder below drive_c and the home folder, every file with its
# size and time, but those in the folder given; then HKLM\Software and HKCU\Software, without
# the keys Wine keeps for itself.
snapshot() {
  local except=()
  [ $# -eq 0 ] || except=(-path "$1" -prune -o)
  find "$drive_c" "$HOME" "${except[@]}" \( -type d -printf '%p/\n' \) -o -printf '%p %s %T@\n' | LC_ALL=C sort
  for root in 'HKLM\Software' 'HKCU\Software'; do
    "$WINE" reg export "$root" "$scratch/export.reg" /y >/dev/null 2>&1 || fail "reg export $root failed"
    iconv -f UTF-16LE -t UTF-8 "$scratch/export.reg" | tr -d '\r' |
      awk '/^\[/ { wine = index($0, "\\Software\\Wine") > 0 } !wine'
  done
}
# What a user sees of installed programs: the uninstall keys, the Start menu's shortcuts, the
# programs folder.
programs() {
  echo "uninstall keys:"
  "$WINE" reg query "$uninstall_keys" | tr -d '\r' | sed -n 's/^HKEY.*\\Uninstall\\/  /p'
  echo "Start menu (all users):"
  find "$start_menu" -mindepth 1 -printf '  %P\n' | LC_ALL=C sort
  echo "C:\\Program Files:"
  find "$drive_c/Program Files" -mindepth 1 -maxdepth 1 -printf '  %P\n' | LC_ALL=C sort
}
value_of() { sed -n "s/^    $1    REG_[A-Z_]*    //p" "$scratch/key.txt"; }
# The uninstall key's values, and that they name the programs in FOLDER.
expect_key() {
  "$WINE" reg query "$key" | tr -d '\r' | grep -v '^$' | tee "$scratch/key.txt"
  local windows_folder
  windows_folder=C:${1#"$drive_c"}
  windows_folder=${windows_folder//\//\\}
  [ -n "$(value_of Publisher)" ] || fail "the uninstall key has no Publisher"
  [ "$(($(value_of EstimatedSize)))" -gt 0 ] || fail "the uninstall key has no EstimatedSize"
  for entry in "DisplayName=Corvalis" "DisplayVersion=$(project_version "$build")" \
               "DisplayIcon=$windows_folder\\corvalis.exe,0" \
               "UninstallString=\"$windows_folder\\uninstall.exe\"" \
               "QuietUninstallString=\"$windows_folder\\uninstall.exe\" /S"; do
    [ "$(value_of "${entry%%=*}")" = "${entry#*=}" ] || fail "the uninstall key's ${entry%%=*} is not '${entry#*=}'"
  done
}
# The installed files are the archive's, with the uninstaller.
expect_files() {
  diff -r -x uninstall.exe "$portable" "$1" || fail "the files in $1 are not the archive's"
  [ -f "$1/uninstall.exe" ] || fail "no uninstaller in $1"
}
# Whether a Windows program whose command line matches a pattern runs in this prefix.
windows_program_runs() {
  local pid
  for pid in $(pgrep -f -- "$1"); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -q -x -F "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

snapshot >"$scratch/before"
programs | tee "$scratch/programs.before"

echo "== Silent install: $name-setup.exe /S"
started=$(now)
"$WINE" "$setup" /S || fail "the setup ended with status $?"
took "installed" "$started"
echo "installed files (C:\\Program Files\\Corvalis):"
(cd "$installed" && find . -mindepth 1 -printf '  %P %s\n' | LC_ALL=C sort)
expect_files "$installed"
expect_key "$installed"
shortcut=$start_menu/Corvalis.lnk
[ -f "$shortcut" ] || fail "no shortcut Corvalis in the Start menu"
names=$({ strings -a "$shortcut"; strings -a -e l "$shortcut"; } | grep -i 'corvalis\.exe' | sort -u)
echo "the shortcut $(basename "$shortcut") names: $(echo "$names" | tr '\n' ' ')"
grep -q -F 'C:\Program Files\Corvalis\corvalis.exe' <<<"$names" ||
  fail "the shortcut does not name C:\\Program Files\\Corvalis\\corvalis.exe"

echo "== The installed corvalis-render.exe and the Linux build's levels"
for region in "0 3 1 4" "0.4 3.8 0.6 3.9"; do
  # shellcheck disable=SC2086  # the region is four numbers
  "$linux_render" --region $region --grid 301x157 --quiet --levels "$scratch/linux.pgm"
  # shellcheck disable=SC2086
  "$WINE" "$installed/corvalis-render.exe" --region $region --grid 301x157 --quiet --levels "$scratch/windows.pgm"
  cmp -s "$scratch/linux.pgm" "$scratch/windows.pgm" || fail "the levels of region $region differ"
  echo "region $region, grid 301x157: identical levels"
done

echo "== The installed corvalis.exe"
started=$(now)
tests/e2e/window_wine_e2e.sh --calculate-only "$installed" "$check" || fail "the installed window program"
took "the installed window program" "$started"

echo "== The setup again, into another folder: $name-setup.exe /S /D=C:\\Corvalis"
"$WINE" "$setup" /S '/D=C:\Corvalis' || fail "the second setup ended with status $?"
[ ! -e "$installed" ] || fail "the first install's folder is left: $(find "$installed")"
expect_files "$moved"
expect_key "$moved" >/dev/null
[ "$(find "$drive_c" -iname 'Corvalis.lnk' | wc -l)" -eq 1 ] || fail "not one Start-menu shortcut"
echo "replaced: the files in C:\\Corvalis only, one key, one shortcut"

echo "== Silent uninstall, with the key's QuietUninstallString"
started=$(now)
quiet=$(value_of QuietUninstallString)
uninstaller=${quiet#\"}
uninstaller=${uninstaller%%\"*}
echo "$quiet"
# shellcheck disable=SC2086  # the options are words
"$WINE" "$uninstaller" ${quiet##*\" } || fail "the uninstaller ended with status $?"
# The uninstaller runs on from a copy of itself in the temporary folder, which the next
# restart deletes.
for _ in $(seq 600); do
  windows_program_runs '~nsu' || break
  sleep 0.1
done
"$WINE" wineboot --restart </dev/null >/dev/null 2>&1
took "uninstalled" "$started"
programs | tee "$scratch/programs.after"
snapshot >"$scratch/after"
diff "$scratch/programs.before" "$scratch/programs.after" >/dev/null || fail "the programs lists differ"
diff "$scratch/before" "$scratch/after" || fail "the prefix is not as before the install"
echo "nothing is left: the prefix's $(grep -c . "$scratch/before") files, folders and registry lines are as before"

echo "== The archive, unpacked into C:\\Corvalis 試用 フォルダ"
started=$(now)
snapshot "$portable" >"$scratch/before"
tests/e2e/window_wine_e2e.sh --calculate-only "$portable" "$check" || fail "the window program from the archive"
snapshot "$portable" >"$scratch/after"
diff "$scratch/before" "$scratch/after" || fail "the program from the archive wrote outside its folder"
echo "nothing written outside the folder"
took "the program from the archive" "$started"
echo "windows-setup-check: passed"
