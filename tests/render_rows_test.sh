#!/usr/bin/env bash
# corvalis-render's rows files: a run that keeps its rows, stopped anywhere and run again, makes
# the same outputs as one run; shards and --from make the same outputs as one machine; a file
# that is damaged, missing, doubled or of another computation is refused, named, and left alone.
# And films: each frame is its own single render, complete frames are not made again, shards of
# the frames make the same frames, a stream is the frames one after another.
# Usage: render_rows_test.sh CORVALIS-RENDER; CORVALIS_EMULATOR runs a cross-built one.
set -u
render=(${CORVALIS_EMULATOR:+"$CORVALIS_EMULATOR"} "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { timeout 120 "${render[@]}" "$@" 2>err; status=$?; }
# Expects a refusal with the given words, and that nothing was written to x.png.
refused() {  # words, arguments...
  local words=$1; shift
  run "$@"
  [ "$status" -eq 2 ] && grep -q -- "$words" err && [ ! -e x.png ] || fail "$*: $status, $(cat err)"
}
computation=(--region 0 3.5 1 4 --grid 120x90 --stripes 3 --quiet)
header_bytes() { grep -a -b -m1 '^records$' "$1" | cut -d: -f1; }
record_bytes=$((4 + 8 * (120 + 10) + 4))  # the row, the hits of its cells, its sub-samples' Lyapunov exponents, the check

run "${computation[@]}" -o ref.png --levels ref.pgm
run "${computation[@]}" --scheme red -o red.png
[ "$status" -eq 0 ] || fail "the reference runs: $(cat err)"

echo "-- a run that keeps its rows writes what a plain run writes, and again from the file alone"
run "${computation[@]}" --rows all.rows -o a.png --levels a.pgm
cmp -s a.png ref.png && cmp -s a.pgm ref.pgm || fail "outputs of a run with --rows differ"
cp all.rows kept.rows
run "${computation[@]}" --rows all.rows -o b.png
cmp -s b.png ref.png && cmp -s all.rows kept.rows || fail "a run from a complete rows file computed or changed it"

echo "-- what a crash leaves: some rows, a torn or damaged last record; the rest is computed"
records_end=$(($(header_bytes all.rows) + 8 + 37 * record_bytes))
for damage in none torn flipped; do
  head -c "$records_end" all.rows >crash.rows
  case $damage in
    torn) head -c 50 kept.rows >>crash.rows ;;
    flipped) printf 'X' | dd of=crash.rows bs=1 seek=$((records_end - 9)) conv=notrunc status=none ;;
  esac
  run "${computation[@]}" --rows crash.rows -o c.png --levels c.pgm
  [ "$status" -eq 0 ] && cmp -s c.png ref.png && cmp -s c.pgm ref.pgm || fail "resumed after a crash ($damage): $status, $(cat err)"
  [ "$(stat -c %s crash.rows)" -eq "$(stat -c %s all.rows)" ] || fail "the resumed file ($damage) has another size"
done

echo "-- a file damaged before its end, or of another computation, is refused and left alone"
cp all.rows middle.rows
printf 'X' | dd of=middle.rows bs=1 seek=$(($(header_bytes all.rows) + 8 + 10)) conv=notrunc status=none
cp middle.rows middle.copy
refused "record 1 of 90 is damaged" "${computation[@]}" --rows middle.rows -o x.png
cmp -s middle.rows middle.copy || fail "a damaged rows file was changed"
refused "another computation" --region 0 3.5 1 4 --grid 120x91 --stripes 3 --rows all.rows -o x.png
refused "not a rows file" "${computation[@]}" --rows ref.png
cmp -s all.rows kept.rows || fail "a rows file of another computation was changed"

if [ -z "${CORVALIS_EMULATOR:-}" ]; then
  echo "-- killed with SIGKILL after some rows are kept, then run again: the same picture"
  # Rows of equal cost, 128 of them: the kill comes after the first few whatever the speed.
  deep=(--region 0.5 3.7 0.5001 3.8 --grid 20x128 --stripes 2 --threads 2 --quiet)
  deep_record_bytes=$((4 + 8 * (20 + 10) + 4))
  run "${deep[@]}" -o deep.png
  "${render[@]}" "${deep[@]}" --rows deep.rows -o x.png 2>err &
  pid=$!
  for _ in $(seq 600); do
    [ "$(stat -c %s deep.rows 2>/dev/null || echo 0)" -gt $((200 + 4 * deep_record_bytes)) ] && break
    sleep 0.02
  done
  kill -KILL "$pid"
  wait "$pid" 2>/dev/null
  [ ! -e x.png ] && [ "$(stat -c %s deep.rows)" -lt $(($(header_bytes deep.rows) + 8 + 128 * deep_record_bytes)) ] ||
    fail "the run ended before it was killed"
  run "${deep[@]}" --rows deep.rows -o d.png
  [ "$status" -eq 0 ] && cmp -s d.png deep.png || fail "the run after a kill: $status, $(cat err)"
fi

echo "-- four shards and --from make the one-machine outputs, in any colours"
for i in 0 1 2 3; do
  run "${computation[@]}" --shard "$i/4" --rows "s$i.rows"
done
run --from s2.rows s0.rows s3.rows s1.rows -o f.png --levels f.pgm --quiet
cmp -s f.png ref.png && cmp -s f.pgm ref.pgm || fail "shards and --from: $status, $(cat err)"
run --from s0.rows s1.rows s2.rows s3.rows --scheme red -o f.png
cmp -s f.png red.png || fail "--from with another scheme: $status, $(cat err)"
echo "-- shaded from the shards' files as a whole: the picture of one run, equalised over every row"
for shade in log equalize; do
  run "${computation[@]}" --scheme inferno --shade "$shade" -o "one-$shade.png"
  run --from s3.rows s1.rows s0.rows s2.rows --scheme inferno --shade "$shade" -o f.png
  cmp -s f.png "one-$shade.png" || fail "--from with --shade $shade: $status, $(cat err)"
done
cmp -s one-log.png one-equalize.png && fail "log and equalize made the same picture"
run "${computation[@]}" --counts one.npy
run --from s2.rows s0.rows s3.rows s1.rows --counts f.npy
cmp -s f.npy one.npy || fail "--counts from the shards' files: $status, $(cat err)"
if [ -z "${CORVALIS_EMULATOR:-}" ]; then
  echo "-- more shards than the soft limit on open files"
  for i in $(seq 0 19); do
    run "${computation[@]}" --shard "$i/20" --rows "many$i.rows"
  done
  (ulimit -Sn 12 && run --from many*.rows -o f.png && cmp -s f.png ref.png) || fail "20 shards with 12 files allowed: $(cat err)"
fi

echo "-- missing, doubled, mismatched, truncated and damaged files are named and nothing is written"
refused "no file keeps shard 2/4 (rows 0-1, 14-17, 30-33 and 3 more)" --from s0.rows s1.rows s3.rows -o x.png
refused "'s1.rows': given twice" --from s0.rows s1.rows s2.rows s3.rows s1.rows -o x.png
cp s1.rows copy1.rows
refused "'copy1.rows': it keeps shard 1/4 as 's1.rows' does" --from s0.rows s1.rows copy1.rows -o x.png
refused "'all.rows': it keeps the rows of another computation" --from s0.rows all.rows -o x.png
head -c -20 s3.rows >torn.rows
refused "'torn.rows': its last record, record 20, is torn" --from s0.rows s1.rows s2.rows torn.rows -o x.png
head -c -$((2 * record_bytes)) s3.rows >short.rows
refused "'short.rows': 2 of its 20 rows are missing (rows" --from s0.rows s1.rows s2.rows short.rows -o x.png
refused "'middle.rows': record 1 of 90 is damaged" --from middle.rows -o x.png
refused "-o 's0.rows' is the rows file --from 's0.rows'" --from s0.rows -o s0.rows
refused "leave out --grid" --from all.rows --grid 4x4 -o x.png
refused "--shard needs --stripes" --region 0 3.5 1 4 --grid 120x90 --shard 0/2 --rows y.rows

echo "-- a film: frames that are single renders, made once, in shards or as a stream"
film=(--region 0 3 1 4 --zoom-to 0.6 3.85 0.61 3.86 --frames 6 --grid 24x16 --stripes 2)
mkdir film shards
run "${film[@]}" -o 'film/f%02d.png' --levels 'film/f%02d.pgm' --counts 'film/f%02d.npy'
[ "$status" -eq 0 ] && [ "$(ls film | wc -l)" -eq 18 ] || fail "a film: $status, $(cat err)"
line=$("${render[@]}" "${film[@]}" -o 'film/f%02d.png' --dry-run | tr -d '\r' | sed -n 's/^frame 3: corvalis-render //p')
eval "run ${line%% -o *} -o single.png"
cmp -s single.png film/f03.png || fail "frame 3 is not the render of its region: $line"
cp -r film kept
rm film/f01.png film/f04.pgm
truncate -s -8 film/f02.npy
run "${film[@]}" -o 'film/f%02d.png' --levels 'film/f%02d.pgm' --counts 'film/f%02d.npy'
grep -q "6 frames: 3 written, 3 already complete" err && diff -r -q film kept >/dev/null ||
  fail "a film run again: $(cat err)"
for shard in 0 1; do
  run "${film[@]}" --shard "$shard/2" -o 'shards/f%02d.png' --quiet
done
for frame in film/f*.png; do
  cmp -s "$frame" "shards/${frame#film/}" || fail "the shards' $frame differs"
done
"${render[@]}" "${film[@]}" -o - --quiet >stream.png 2>err
cat film/f*.png | cmp -s - stream.png || fail "the stream is not the frames one after another"

echo "-- dry-run lines do their frame and nothing else, whatever the names; a shard keeps --shard"
short_film=(--region 0 3 1 4 --zoom-to 0.6 3.85 0.61 3.86 --frames 3 --grid 24x16 --stripes 2)
mkdir quoted
"${render[@]}" "${short_film[@]}" -o "quoted/z'\$(touch PWNED)'%d.png" --dry-run | tr -d '\r' |
  sed -n 's/^frame 1: //p' >line.sh
if [ -z "${CORVALIS_EMULATOR:-}" ]; then
  mkdir bin && ln -s "${render[0]}" bin/corvalis-render
  PATH="$PWD/bin:$PATH" sh line.sh
  [ ! -e PWNED ] && [ "$(ls quoted)" = "z'\$(touch PWNED)'1.png" ] ||
    fail "a dry-run line with quotes in its name: $(cat line.sh) made: $(ls quoted)"
fi
"${render[@]}" --region 0 3 1 4 --grid 40x24 --stripes 2 --shard 1/4 --rows s1.rows --dry-run | tr -d '\r' |
  grep -q -- ' --shard 1/4$' || fail "a shard's dry run drops --shard"
if [ -z "${CORVALIS_EMULATOR:-}" ]; then
  echo "-- a film checks every frame's output first, and a FIFO among its files is written, never read"
  mkdir checked
  mkdir checked/f02.png
  run "${short_film[@]}" -o 'checked/f%02d.png'
  [ "$status" -eq 2 ] && grep -q "frame 2: cannot write .*it is a folder" err && [ ! -e checked/f00.png ] ||
    fail "a film with frame 2 unwritable: $status, $(cat err)"
  mkdir piped
  mkfifo piped/f01.pgm
  cat piped/f01.pgm >from-fifo.pgm &
  reader=$!
  run "${short_film[@]}" --levels 'piped/f%02d.pgm'
  kill "$reader" 2>/dev/null  # a run that never opened the FIFO leaves its reader waiting
  wait "$reader"
  [ "$status" -eq 0 ] && [ -p piped/f01.pgm ] && [ "$(head -c 2 from-fifo.pgm)" = P5 ] ||
    fail "a film with a FIFO among its files: $status, $(cat err)"
fi

[ "$failures" -eq 0 ] && echo "all rows file and film checks passed"
exit $((failures > 0))
