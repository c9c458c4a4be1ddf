#!/usr/bin/env bash
# The Debian packages corvalis and python3-corvalis, checked on this machine as a user meets
# them. They install to the system, so it runs as root, in CI:
#   1. makes the packages (scripts/package.sh) and shows their control fields and files;
#   2. lintian on both (no error, no warning), appstreamcli and desktop-file-validate on the
#      data of corvalis, and both changelogs and the software-centre release against the
#      packages' version;
#   3. installs corvalis with dpkg -i, runs both programs from /usr/bin (the window under Xvfb,
#      found by the window class its desktop entry names; the renderer on a small grid), opens
#      both manual pages with man and completes --sch through bash-completion;
#   4. installs python3-corvalis with dpkg -i (python3-numpy is there: scripts/install-deps.sh)
#      and has Debian's python3 import the module from it and compute levels, byte for byte those
#      of the installed corvalis-render;
#   5. purges both and checks that nothing of them is left.
# Refuses to start when either is installed already; purges them if a step fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source_dir=$PWD
fail() { echo "debian-check: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "it installs the packages to the system: run it as root"
for package in corvalis python3-corvalis; do
  if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" = installed ]; then
    fail "$package is installed on this machine already; remove it first"
  fi
done
scripts/install-deps.sh debian
build=build  # the release preset's
work=$(mktemp -d)
installed=no
python_installed=no
finish() {
  if [ "$python_installed" = yes ]; then dpkg --purge python3-corvalis >/dev/null; fi
  if [ "$installed" = yes ]; then dpkg --purge corvalis >/dev/null; fi
  rm -rf "$work"
}
trap finish EXIT

echo "== Making the packages"
started=$(now)
rm -f "$build"/corvalis_*.deb "$build"/python3-corvalis_*.deb
scripts/package.sh
deb=$(ls "$build"/corvalis_*.deb)
python_deb=$(ls "$build"/python3-corvalis_*.deb)
version=$(dpkg-deb --field "$deb" Version)
[ "$(dpkg-deb --field "$python_deb" Version)" = "$version" ] || fail "python3-corvalis is not version $version"
for package in "$deb" "$python_deb"; do
  dpkg-deb --info "$package"
  dpkg-deb --contents "$package"
done
took "packages made" "$started"

echo "== Lintian and the validators"
started=$(now)
lintian --fail-on error,warning --display-info --pedantic "$deb" "$python_deb"
root=$work/root
dpkg-deb --extract "$deb" "$root"
dpkg-deb --extract "$python_deb" "$root"
appstreamcli validate --no-net --pedantic "$root"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate --no-hints "$root/usr/share/applications/corvalis.desktop"
for package in corvalis python3-corvalis; do
  zcat "$root/usr/share/doc/$package/changelog.gz" >"$work/changelog"
  [ "$(dpkg-parsechangelog --file "$work/changelog" --show-field Version)" = "$version" ] ||
    fail "the last entry of $package's changelog is not version $version"
done
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$root"/usr/share/metainfo/*.metainfo.xml | head -n 1)
[ "$release" = "$version" ] || fail "the metainfo's newest release is $release, not $version"
took "checked" "$started"

echo "== Installed with dpkg -i"
started=$(now)
installed=yes
dpkg -i "$deb"
dpkg -L corvalis | grep -v '^/\.$' >"$work/files"
cat "$work/files"

cd "$work"
/usr/bin/corvalis-render --region 0 3 1 4 --grid 64x48 --quiet --levels levels.pgm -o picture.png
file picture.png | grep -q "PNG image data, 64 x 48" || fail "the installed corvalis-render drew no 64x48 picture"
[ "$(head -c 2 levels.pgm)" = P5 ] || fail "the installed corvalis-render wrote no PGM"
echo "corvalis-render drew $(file -b picture.png)"

# The window must appear with the class the desktop entry matches it by, and end through Exit.
wm_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/corvalis.desktop)
mkdir -m 700 runtime
HOME=$work XDG_RUNTIME_DIR=$work/runtime xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "$2"
  /usr/bin/corvalis & program=$!
  wid=$(timeout "$hang_guard" xdotool search --sync --onlyvisible --class "^$1\$" | head -1)
  [ -n "$wid" ] || { kill "$program"; exit 1; }
  focus_main
  choose_menu f x
  wait "$program"' _ "$wm_class" "$source_dir/tests/e2e/x_steps.sh" ||
  fail "the installed window did not show with the class '$wm_class' and end with status 0"
echo "corvalis showed its window (class $wm_class) and ended through Exit with status 0"

for page in corvalis corvalis-render; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man does not find $page(1)"
  MANPAGER=cat MANWIDTH=80 man "$page" >"$page.txt" || fail "man $page failed"
  head -n 6 "$page.txt"
done

completed=$(bash -c 'source /usr/share/bash-completion/bash_completion && __load_completion corvalis-render &&
  COMP_WORDS=(corvalis-render --sch) && COMP_CWORD=1 &&
  $(complete -p corvalis-render | sed -n "s/.*-F \([^ ]*\).*/\1/p") && echo "${COMPREPLY[*]}"')
[ "$completed" = --scheme ] || fail "bash completes --sch to '$completed'"
echo "bash completes corvalis-render --sch to $completed"
cd - >/dev/null
took "installed and used" "$started"

echo "== The Python module installed with dpkg -i"
started=$(now)
python_installed=yes
dpkg -i "$python_deb"
dpkg -L python3-corvalis | grep -v '^/\.$' | tee -a "$work/files"
cd "$work"
# Isolated (-I): no PYTHONPATH, no user's packages, not the current folder.
/usr/bin/python3 -I -c 'import sys, corvalis
open(sys.argv[1], "wb").write(corvalis.levels((0, 3, 1, 4), (8, 6)).tobytes())
print(corvalis.__file__, corvalis.__version__)' python.levels >python.txt
read -r module module_version <python.txt
[ "$module" = /usr/lib/python3/dist-packages/corvalis/__init__.py ] || fail "python3 imported corvalis from $module"
[ "$module_version" = "$version" ] || fail "python3 imported corvalis $module_version, not $version"
/usr/bin/corvalis-render --region 0 3 1 4 --grid 8x6 --quiet --levels small.pgm
[ "$(head -c 11 small.pgm)" = "$(printf 'P5\n8 6\n255\n')" ] || fail "corvalis-render wrote no 8x6 PGM"
tail -c +12 small.pgm | cmp - python.levels ||
  fail "corvalis.levels differs from the data of corvalis-render --levels"
echo "python3 imported corvalis $module_version from $module: levels of 8x6, those of corvalis-render"
cd - >/dev/null
took "module installed and used" "$started"

echo "== Purged"
started=$(now)
dpkg --purge python3-corvalis
python_installed=no
dpkg --purge corvalis
installed=no
left=0
while IFS= read -r path; do
  # A folder may stay only as another package's.
  if { [ -d "$path" ] && ! dpkg -S "$path" >/dev/null 2>&1; } || { [ ! -d "$path" ] && { [ -e "$path" ] || [ -L "$path" ]; }; }; then
    echo "left behind: $path"
    left=$((left + 1))
  fi
done <"$work/files"
[ "$left" -eq 0 ] || fail "$left paths of the packages are left"
! man -w corvalis-render >/dev/null 2>&1 || fail "man still finds corvalis-render(1)"
! /usr/bin/python3 -I -c 'import corvalis' 2>/dev/null || fail "python3 still imports corvalis"
echo "none of the packages' $(wc -l <"$work/files") paths is left but folders of other packages"
took "purged" "$started"
echo "debian-check: passed"
