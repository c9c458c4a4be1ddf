#!/usr/bin/env bash
# Runs corvalis-render as a user would: a good run, bad input, an unwritable path.
set -u
render=$1
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

check "help" 0 "$render" --help
grep -q -- "--levels" "$work/out" || { echo "FAIL: help does not explain --levels"; failures=$((failures + 1)); }

check "default region" 0 "$render" --region 0 3 1 4 --grid 66x40 --levels "$work/d.pgm"
head -c 15 "$work/d.pgm" | grep -q "^P5" || { echo "FAIL: not a P5 PGM"; failures=$((failures + 1)); }
size=$(stat -c %s "$work/d.pgm")
[ "$size" -eq $((13 + 66 * 40)) ] || { echo "FAIL: PGM has $size bytes"; failures=$((failures + 1)); }

check "fitted grid" 0 "$render" --region 0 3 1 4 --fit 1000x700 --threads 3 --quiet --levels "$work/f.pgm"
[ "$(head -c 15 "$work/f.pgm" | sed -n 2p)" = "660 660" ] || { echo "FAIL: --fit 1000x700 is not 660 x 660"; failures=$((failures + 1)); }
rm -f "$work/f.pgm"

# Ctrl+C during a deep zoom stops the workers promptly and writes nothing.
"$render" --region 0.5 3.7 0.500001 3.8 --grid 400x400 --quiet --levels "$work/i.pgm" 2>"$work/err" &
pid=$!
sleep 0.5
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 130 ] || { echo "FAIL: interrupted run exited $status"; failures=$((failures + 1)); }
[ ! -e "$work/i.pgm" ] || { echo "FAIL: interrupted run wrote a file"; failures=$((failures + 1)); }

check "non-numeric value" 2 "$render" --region 0 3 one 4 --grid 10x10 --levels "$work/e.pgm"
check "zero grid" 2 "$render" --grid 0x10 --levels "$work/e.pgm"
check "missing value" 2 "$render" --grid
check "no room in the client area" 2 "$render" --fit 40x700 --levels "$work/e.pgm"
check "zero threads" 2 "$render" --grid 10x10 --threads 0 --levels "$work/e.pgm"
check "unwritable path" 2 "$render" --grid 10x10 --levels "$work/no/such/dir/e.pgm"
[ "$(wc -l <"$work/err")" -eq 1 ] || { echo "FAIL: error is not one line"; failures=$((failures + 1)); }
grep -q "cannot write" "$work/err" || { echo "FAIL: error does not name the problem"; failures=$((failures + 1)); }
[ -z "$(ls "$work" | grep -v -e '^d.pgm$' -e '^out$' -e '^err$')" ] || { echo "FAIL: leftover files: $(ls "$work")"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "render_cli: all checks passed"
exit "$failures"
