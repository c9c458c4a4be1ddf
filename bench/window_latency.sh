#!/usr/bin/env bash
# How soon the window answers on a large screen while it computes: in a 7600 × 4200 window on
# a virtual screen (Xvfb), during a deep zoom that keeps both workers and the refresh tick busy,
# the time from Alt+F to the File menu on the screen (several times), and from Exit to the end
# of the program, in a few sessions. Prints each time, their medians and the longest.
# Usage: bench/window_latency.sh build/bin/corvalis [SESSIONS] [MENUS]
set -u
corvalis=$(realpath "$1")
sessions=${2:-3}
runs=${3:-5}
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=:97
Xvfb "$DISPLAY" -screen 0 7680x4320x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Visible windows of the program: the frame, and a menu while one is open.
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l; }

cd "$work" || exit 1
: >menu.times
: >exit.times
for session in $(seq "$sessions"); do
  "$corvalis" 2>/dev/null &
  pid=$!
  wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^Corvalis$' | head -1)
  xdotool windowsize --sync "$wid" 7600 4200
  xdotool windowfocus --sync "$wid"
  sleep 1

  # 設定 → 計算領域: a deep zoom, then 計算開始.
  xdotool key --clearmodifiers alt+p; sleep 0.5; xdotool key a
  timeout 30 xdotool search --sync --onlyvisible --name '^計算領域$' >/dev/null
  sleep 0.5
  xdotool type 0.5; xdotool key Tab; xdotool type 3.7
  xdotool key Tab Tab Tab
  xdotool type 0.500005; xdotool key Tab; xdotool type 3.700005
  xdotool key Return; sleep 0.5
  xdotool key --clearmodifiers alt+c; sleep 0.5; xdotool key s
  sleep 3  # the first tick recolours everything; the calculation goes on for minutes

  closed=$(windows)
  for run in $(seq "$runs"); do
    sleep 1.3  # a different moment of the tick each time
    start=$(now_ms)
    xdotool key --clearmodifiers alt+f
    while [ "$(windows)" -le "$closed" ]; do
      [ $(( $(now_ms) - start )) -gt 10000 ] && break
    done
    echo $(( $(now_ms) - start )) | tee -a menu.times | sed "s/^/session $session, menu $run: /; s/$/ ms/"
    xdotool key Escape
    while [ "$(windows)" -gt "$closed" ]; do sleep 0.01; done
  done

  sleep 1.3
  xdotool key --clearmodifiers alt+f
  sleep 0.3
  start=$(now_ms)
  xdotool key x
  wait "$pid"
  status=$?
  echo $(( $(now_ms) - start )) | tee -a exit.times | sed "s/^/session $session, exit: /; s/$/ ms (status $status)/"
done
echo "menu: median $(median <menu.times) ms, longest $(sort -n menu.times | tail -1) ms"
echo "exit: median $(median <exit.times) ms, longest $(sort -n exit.times | tail -1) ms"
