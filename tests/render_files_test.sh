#!/usr/bin/env bash
# corvalis-render's outputs where they are not plain new files: a FIFO, devices, a socket,
# symbolic links, a folder, one file named twice, files that cannot be replaced, the longest
# names, a broken pipe, a terminal; and signals during the computation and during the writing.
# In every failure the old files must stay as they were, and nothing of the program's may stay
# behind. Everything happens in a scratch folder: the device nodes are made there, never in /dev.
set -u
render=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 711 "$work"  # another user runs the renderer in some cases
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
small=(--grid 40x30 --quiet)
# Runs the renderer with a time limit; its status in $status, its messages in err.
run() { timeout 60 "$render" "$@" 2>err; status=$?; }
# Sends a signal to the renderer started last and waits for it, its status in $status; one
# still running a minute later is killed (status 137), so that no stop that hangs hangs the test.
stop_with() {
  kill "-$1" "$pid"
  timeout 60 tail --pid="$pid" -f /dev/null || kill -KILL "$pid"
  wait "$pid"
  status=$?
}
# Names in the folder, hidden ones included, that are not among the given ones.
strays() { ls -A | grep -v -x -F -e err "${@/#/-e}"; }

printf 'old levels\n' >old.pgm
printf 'old picture\n' >old.png
run "${small[@]}" --levels ref.pgm -o ref.png
[ "$status" -eq 0 ] || fail "the reference run: $status, $(cat err)"
keep=(old.pgm old.png ref.pgm ref.png)

echo "-- a FIFO is written in place"
mkfifo fifo
cat fifo >from-fifo &
reader=$!
run "${small[@]}" --levels fifo
wait "$reader"
[ "$status" -eq 0 ] && cmp -s from-fifo ref.pgm || fail "the FIFO did not carry the levels ($status)"
[ -p fifo ] || fail "the FIFO was replaced"
rm from-fifo

echo "-- devices are written in place, and their errors are reported"
if mknod null c 1 3 2>/dev/null && mknod full c 1 7 2>/dev/null; then
  run "${small[@]}" -o null
  [ "$status" -eq 0 ] || fail "writing to a null device: $status, $(cat err)"
  run "${small[@]}" -o full
  [ "$status" -eq 2 ] && grep -q "No space left on device" err || fail "a full device: $status, $(cat err)"
  run --help >full
  [ "$status" -eq 2 ] && grep -q "cannot write the help: No space left" err || fail "--help >full: $status, $(cat err)"
  [ -c null ] && [ -c full ] || fail "a device node was replaced"
  keep+=(null full)
else
  echo "(not run: no device nodes can be made here)"
fi

echo "-- with standard output closed, '-' is refused and no file takes its place"
cp old.png closed.png
run "${small[@]}" -o closed.png --levels - >&-
[ "$status" -eq 2 ] && grep -q "standard output is closed" err || fail "'-' with standard output closed: $status, $(cat err)"
cmp -s closed.png old.png || fail "a file took the place of the closed standard output"
(ulimit -f 1; run --grid 2000x200 --quiet --levels big.pgm; [ "$status" -eq 2 ] && grep -q "File too large" err) ||
  fail "a file past the size limit: $(cat err)"
(ulimit -f 1; run --grid 200x20 --quiet --counts big.npy; [ "$status" -eq 2 ] && grep -q "File too large" err) ||
  fail "counts past the size limit: $(cat err)"
[ ! -e big.pgm ] && [ ! -e big.npy ] || fail "a file past the size limit was left: $(ls big.*)"
rm -f closed.png

echo "-- a symbolic link is followed, never replaced"
cp old.pgm target.pgm
ln -s target.pgm link.pgm
ln -s made.pgm dangling.pgm
run "${small[@]}" --levels link.pgm
[ "$status" -eq 0 ] && [ -L link.pgm ] && cmp -s target.pgm ref.pgm || fail "through a link: $status, $(cat err)"
run "${small[@]}" --levels dangling.pgm
[ "$status" -eq 0 ] && [ -L dangling.pgm ] && cmp -s made.pgm ref.pgm || fail "through a dangling link: $status"
keep+=(target.pgm link.pgm dangling.pgm made.pgm)

echo "-- a replaced file keeps its permissions, but not setuid and setgid"
cp old.png modes.png
chmod 6751 modes.png
run "${small[@]}" -o modes.png
[ "$status" -eq 0 ] && [ "$(stat -c %a modes.png)" = 751 ] || fail "the modes of a replaced file: $(stat -c %a modes.png)"
keep+=(modes.png)

echo "-- a closed standard output fails the help"
run --help >&-
[ "$status" -eq 2 ] && grep -q "cannot write the help" err || fail "--help >&-: $status, $(cat err)"

echo "-- a folder, and one file named twice, are refused before any work, in one line"
mkdir folder
run "${small[@]}" -o folder
[ "$status" -eq 2 ] && grep -q "folder" err || fail "a folder as output: $status, $(cat err)"
run "${small[@]}" -o $'no\nfolder/x.png'
[ "$status" -eq 2 ] && [ "$(cat err)" = "corvalis-render: cannot write 'no\nfolder/x.png': there is no folder 'no\nfolder'" ] ||
  fail "a name with a newline: $status, $(cat err)"
for pair in "same.pgm same.pgm" "target.pgm link.pgm" "- -"; do
  read -r levels picture <<<"$pair"
  run "${small[@]}" --levels "$levels" -o "$picture" >/dev/null
  [ "$status" -eq 2 ] && grep -q "same file" err || fail "--levels $levels -o $picture: $status, $(cat err)"
done
run "${small[@]}" --counts folder
[ "$status" -eq 2 ] && grep -q "folder" err || fail "a folder as counts: $status, $(cat err)"
run "${small[@]}" --levels target.pgm --counts link.pgm
[ "$status" -eq 2 ] && grep -q "^corvalis-render: --levels 'target.pgm' and --counts 'link.pgm' are the same file" err ||
  fail "--counts through a link to --levels: $status, $(cat err)"
# The same name in one folder reached through a link, also before the file exists.
mkdir -p real/inner
ln -s real reallink
ln -s real/inner innerlink
run "${small[@]}" -o real/x.png --levels reallink/x.png
[ "$status" -eq 2 ] && grep -q "same file" err && [ ! -e real/x.png ] || fail "real/x.png twice: $status, $(cat err)"
run "${small[@]}" --levels out.pgm -o - >out.pgm
[ "$status" -eq 2 ] && grep -q "same file" err || fail "--levels out.pgm -o - >out.pgm: $status, $(cat err)"
run "${small[@]}" -o x2.png --levels innerlink/../x2.png
[ "$status" -eq 0 ] && cmp -s x2.png ref.png && cmp -s real/x2.png ref.pgm || fail "x2.png and real/x2.png: $status, $(cat err)"
cmp -s target.pgm ref.pgm || fail "a refused run changed a file"
keep+=(folder real reallink innerlink out.pgm x2.png)

echo "-- standard output is refused on a terminal"
script -qec "$render ${small[*]} -o -" /dev/null >out
status=$?
[ "$status" -eq 2 ] && grep -q "terminal" out || fail "standard output on a terminal: $status, $(cat out)"
rm out

echo "-- a folder that takes no new file leaves the old one"
mkdir locked
cp old.png locked/picture.png
chmod 555 locked
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if "${as_user[@]}" "$render" --help >/dev/null 2>&1; then
  "${as_user[@]}" timeout 60 "$render" "${small[@]}" -o locked/picture.png 2>err
  status=$?
  [ "$status" -eq 2 ] && grep -q "Permission denied" err || fail "an unwritable folder: $status, $(cat err)"
  cmp -s locked/picture.png old.png && [ "$(ls -A locked)" = picture.png ] || fail "the unwritable folder changed"
else
  echo "(not run: no other user can run the renderer here)"
fi
keep+=(locked)

echo "-- a file that cannot be replaced, or a socket, is refused before anything is written"
# Each run's levels would go first: to a FIFO without a reader, or to a file that would be replaced.
python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("socket")'
run "${small[@]}" --levels fifo -o socket
[ "$status" -eq 2 ] && grep -q "socket" err || fail "a socket: $status, $(cat err)"
if "${as_user[@]}" "$render" --help >/dev/null 2>&1; then
  mkdir -m 1777 sticky
  cp old.pgm sticky/mine.pgm
  cp old.png sticky/theirs.png
  chown 65534 sticky/mine.pgm
  "${as_user[@]}" timeout 60 "$render" "${small[@]}" --levels sticky/mine.pgm -o sticky/theirs.png 2>err
  status=$?
  [ "$status" -eq 2 ] && grep -q "owner" err && cmp -s sticky/mine.pgm old.pgm || fail "a sticky folder: $status, $(cat err)"
  keep+=(sticky)
fi
cp old.pgm a.pgm
cp old.png frozen.png
if chattr +i frozen.png 2>/dev/null; then
  run "${small[@]}" --levels a.pgm -o frozen.png
  chattr -i frozen.png
  [ "$status" -eq 2 ] && grep -q "immutable" err && cmp -s a.pgm old.pgm || fail "an immutable file: $status, $(cat err)"
  # Made immutable only once the checks are passed (the rows file shows it): the renames fail
  # at the end, and the one already done is undone.
  timeout 60 "$render" --region 0.5 3.7 0.501 3.8 --grid 20x64 --quiet --rows late.rows \
    --levels a.pgm -o frozen.png 2>err &
  pid=$!
  timeout 60 sh -c 'until [ -s late.rows ]; do sleep 0.02; done'
  chattr +i frozen.png
  wait "$pid"
  status=$?
  chattr -i frozen.png
  [ "$status" -eq 2 ] && cmp -s a.pgm old.pgm && cmp -s frozen.png old.png ||
    fail "a file made immutable during the computation: $status, $(cat err)"
  rm late.rows
else
  echo "(not run: chattr +i does not work here)"
fi
keep+=(socket a.pgm frozen.png)

echo "-- another's file named like a temporary one stays"
printf 'theirs\n' >out.png.partial
run "${small[@]}" -o out.png
[ "$status" -eq 0 ] && [ "$(cat out.png.partial)" = theirs ] || fail "out.png.partial was touched"
keep+=(out.png out.png.partial)

echo "-- the longest names can be written, also where they are replaced"
long=$(printf 'n%.0s' $(seq 251)).png
long_utf8=$(printf 'é%.0s' $(seq 125)).png
for name in "$long" "$long" "$long_utf8"; do
  run "${small[@]}" -o "$name"
  [ "$status" -eq 0 ] && cmp -s "$name" ref.png || fail "a ${#name}-character name: $status, $(cat err)"
done
keep+=("$long" "$long_utf8")

echo "-- two runs to one file at once both end whole"
"$render" "${small[@]}" -o both.png 2>/dev/null &
first=$!
run "${small[@]}" -o both.png
wait "$first"
first_status=$?
[ "$status" -eq 0 ] && [ "$first_status" -eq 0 ] && cmp -s both.png ref.png ||
  fail "two runs to one file: $first_status and $status, $(cat err)"
keep+=(both.png)

echo "-- a reader that goes away is reported"
timeout 60 "$render" --grid 2000x2000 --quiet --levels - 2>err | head -c 100 >/dev/null
status=${PIPESTATUS[0]}
[ "$status" -eq 2 ] && grep -q "Broken pipe" err || fail "a broken pipe: $status, $(cat err)"

echo "-- SIGTERM during the computation"
cp old.pgm keep.pgm
cp old.png keep.png
keep+=(keep.pgm keep.png)
"$render" --region 0.5 3.7 0.500001 3.8 --grid 400x400 --quiet --levels keep.pgm -o keep.png --counts new.npy 2>err &
pid=$!
sleep 0.5
stop_with TERM
[ "$status" -eq 143 ] && [ ! -e new.npy ] || fail "SIGTERM while computing: $status"

# Waits until the renderer started last holds the new file for keep.png open: a hidden file
# beside it, or one without a name (shown "deleted"); its name, or nothing after a minute.
new_file() {
  for _ in $(seq 600); do
    { ls -A; ls -l "/proc/$pid/fd" 2>/dev/null; } | grep -oE '^\.keep\.png\..*|/#[0-9]+ \(deleted\)' && return
    sleep 0.1
  done
}

echo "-- Ctrl+C, SIGHUP and SIGQUIT during the writing"
# The picture goes to a new file first; then the levels wait for the FIFO's reader.
for signal in INT HUP QUIT; do
  "$render" "${small[@]}" -o keep.png --levels fifo 2>err &
  pid=$!
  [ -n "$(new_file)" ] || fail "no new file for keep.png while writing"
  stop_with "$signal"
  [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal while writing: $status"
  [ -z "$(strays "${keep[@]}" fifo)" ] || fail "SIG$signal left behind: $(strays "${keep[@]}" fifo)"
done

echo "-- SIGKILL during the writing leaves nothing where new files have no name"
"$render" "${small[@]}" -o keep.png --levels fifo 2>err &
pid=$!
if new_file | grep -q deleted; then
  stop_with KILL
else
  stop_with KILL
  echo "(not run: this file system gives no file without a name)"
  rm -f .keep.png.*
fi

cmp -s keep.pgm old.pgm && cmp -s keep.png old.png || fail "an interrupted run changed an old file"
[ -z "$(strays "${keep[@]}" fifo)" ] || fail "left behind: $(strays "${keep[@]}" fifo)"
[ "$failures" -eq 0 ] && echo "render_files: all checks passed"
exit "$failures"
