#!/usr/bin/env bash
# Runs corvalis-render as a user would: a good run, bad input, an unwritable path, a picture
# made again from the command it carries.
# Usage: render_cli_test.sh CORVALIS-RENDER PNG-TEXT; CORVALIS_EMULATOR runs cross-built ones.
set -u
render=(${CORVALIS_EMULATOR:+"$CORVALIS_EMULATOR"} "$1")
png_text=(${CORVALIS_EMULATOR:+"$CORVALIS_EMULATOR"} "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # description, expected status, command...
  local what=$1 want=$2; shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit $got, expected $want"; cat "$work/err"; failures=$((failures + 1))
  fi
}

check "help" 0 "${render[@]}" --help
grep -q -- "--levels" "$work/out" || { echo "FAIL: help does not explain --levels"; failures=$((failures + 1)); }

check "default region" 0 "${render[@]}" --region 0 3 1 4 --grid 66x40 --levels "$work/d.pgm"
head -c 15 "$work/d.pgm" | grep -q "^P5" || { echo "FAIL: not a P5 PGM"; failures=$((failures + 1)); }
size=$(stat -c %s "$work/d.pgm")
[ "$size" -eq $((13 + 66 * 40)) ] || { echo "FAIL: PGM has $size bytes"; failures=$((failures + 1)); }

check "fitted grid" 0 "${render[@]}" --region 0 3 1 4 --fit 1000x700 --threads 3 --quiet --levels "$work/f.pgm"
[ "$(head -c 15 "$work/f.pgm" | sed -n 2p)" = "660 660" ] || { echo "FAIL: --fit 1000x700 is not 660 x 660"; failures=$((failures + 1)); }
rm -f "$work/f.pgm"

# Ctrl+C during a deep zoom, hours of work, stops the workers and writes nothing.
"${render[@]}" --region 0.5 3.7 0.500001 3.8 --grid 400x400 --quiet --levels "$work/i.pgm" --lyapunov "$work/i.csv" 2>"$work/err" &
pid=$!
sleep 0.5
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 130 ] || { echo "FAIL: interrupted run exited $status"; failures=$((failures + 1)); }
[ ! -e "$work/i.pgm" ] && [ ! -e "$work/i.csv" ] || { echo "FAIL: interrupted run wrote a file"; failures=$((failures + 1)); }

check "coloured picture of the fitted grid" 0 "${render[@]}" --fit 1000x700 --scheme red --levels "$work/c.pgm" -o "$work/c.png" --quiet
file "$work/c.png" | grep -q "PNG image data, 660 x 660, 8-bit/color RGB" || { echo "FAIL: -o with --fit: $(file "$work/c.png")"; failures=$((failures + 1)); }
check "coloured grid one pixel a cell" 0 "${render[@]}" --grid 70x30 --scheme mono --reverse -o "$work/g.png" --quiet
file "$work/g.png" | grep -q "PNG image data, 70 x 30" || { echo "FAIL: -o with --grid: $(file "$work/g.png")"; failures=$((failures + 1)); }
check "a picture with the strip of λ" 0 "${render[@]}" --grid 70x30 --lyapunov-strip -o "$work/l.png" --quiet
file "$work/l.png" | grep -q "PNG image data, 86 x 30" || { echo "FAIL: --lyapunov-strip: $(file "$work/l.png")"; failures=$((failures + 1)); }
rm -f "$work/l.png"
check "the strip of λ without a picture" 2 "${render[@]}" --grid 70x30 --lyapunov-strip --levels "$work/e.pgm"
grep -q -- "--lyapunov-strip is drawn beside the picture: give -o OUT.png too" "$work/err" || { echo "FAIL: --lyapunov-strip without -o: $(cat "$work/err")"; failures=$((failures + 1)); }
check "a shard with a whole grid's output" 2 "${render[@]}" --grid 70x30 --stripes 2 --shard 0/2 --lyapunov "$work/e.csv" --levels "$work/e.pgm"
grep -q -- "only --lyapunov writes a shard's rows" "$work/err" || { echo "FAIL: --shard with --levels: $(cat "$work/err")"; failures=$((failures + 1)); }
check "unknown scheme" 2 "${render[@]}" --grid 10x10 --scheme purple -o "$work/e.png"
# File names beyond any single code page.
check "Japanese file names" 0 "${render[@]}" --grid 40x30 --levels "$work/計算.pgm" -o "$work/軌道密度図.png" --quiet
[ -s "$work/計算.pgm" ] && [ -s "$work/軌道密度図.png" ] || { echo "FAIL: no files with Japanese names"; failures=$((failures + 1)); }
rm -f "$work/c.pgm" "$work/c.png" "$work/g.png" "$work/計算.pgm" "$work/軌道密度図.png"

# Standard output takes the same bytes as a file.
"${render[@]}" --region 0 3 1 4 --grid 66x40 --levels - >"$work/s.pgm" 2>"$work/err"
cmp -s "$work/s.pgm" "$work/d.pgm" || { echo "FAIL: --levels - differs from the file"; failures=$((failures + 1)); }

# A picture carries the command that makes it again, byte for byte, with other threads.
check "a picture that names its command" 0 "${render[@]}" --region 0.4 3.8 0.6 3.9 --fit 300x200 \
  --stripes 3 --threads 2 --scheme green --reverse -o "$work/s.png" --quiet
command=$("${png_text[@]}" "$work/s.png" Command)
read -r -a words <<<"$command"
[ "${words[0]:-}" = corvalis-render ] || { echo "FAIL: no command in the picture: '$command'"; failures=$((failures + 1)); }
"${render[@]}" "${words[@]:1}" --threads 1 --quiet -o "$work/again.png" 2>"$work/err"
cmp -s "$work/s.png" "$work/again.png" || { echo "FAIL: '$command' made another picture"; failures=$((failures + 1)); }
"${png_text[@]}" "$work/s.png" Software | grep -q '^corvalis-render [0-9.]*$' || { echo "FAIL: no version in the picture"; failures=$((failures + 1)); }
rm -f "$work/s.pgm" "$work/s.png" "$work/again.png"

check "an option given twice" 2 "${render[@]}" --grid 10x10 -o "$work/a.png" -o "$work/b.png"
check "a region without width, on a grid" 2 "${render[@]}" --region 0.5 3 0.5 4 --grid 10x10 -o "$work/e.png"
check "a region without height, fitted" 2 "${render[@]}" --region 0 3.5 1 3.5 --fit 100x100 -o "$work/e.png"

check "non-numeric value" 2 "${render[@]}" --region 0 3 one 4 --grid 10x10 --levels "$work/e.pgm"
check "zero grid" 2 "${render[@]}" --grid 0x10 --levels "$work/e.pgm"
check "missing value" 2 "${render[@]}" --grid
check "no room in the client area" 2 "${render[@]}" --fit 40x700 --levels "$work/e.pgm"
check "zero threads" 2 "${render[@]}" --grid 10x10 --threads 0 --levels "$work/e.pgm"
check "unwritable path" 2 "${render[@]}" --grid 10x10 --levels "$work/no/such/dir/e.pgm"
[ "$(wc -l <"$work/err")" -eq 1 ] || { echo "FAIL: error is not one line"; failures=$((failures + 1)); }
grep -q "cannot write" "$work/err" || { echo "FAIL: error does not name the problem"; failures=$((failures + 1)); }
[ -z "$(ls -A "$work" | grep -v -e '^d.pgm$' -e '^out$' -e '^err$')" ] || { echo "FAIL: leftover files: $(ls -A "$work")"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "render_cli: all checks passed"
exit "$failures"
