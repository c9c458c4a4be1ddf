#!/usr/bin/env bash
# The Windows program under Wine, driven like the Linux one by real key presses and mouse
# events: 計算 → 計算開始 with the picture compared pixel for pixel with corvalis-render.exe's for
# the same client area; the region dialog with a bad value and its message box; a drag whose
# region dialog is accepted, the zoomed picture compared the same way; the colour scale chosen
# with the keyboard alone; Exit and its status. With --calculate-only, 計算開始 and Exit alone.
# Wine's environment and its display come from the caller (scripts/wine-env.sh); SHOTS, when
# set, names a folder that keeps the screenshots.
# Usage: window_wine_e2e.sh [--calculate-only] PROGRAM_FOLDER SCREENSHOT_CHECK
set -u
all_steps=yes
if [ "${1:-}" = --calculate-only ]; then all_steps=no; shift; fi
dest=$(realpath "$1")
check=$(realpath "$2")
render=("$WINE" "$dest/corvalis-render.exe")
# shellcheck source=x_steps.sh
source "$(dirname "$(realpath "$0")")/x_steps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
keep() { [ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && cp "$1" "$SHOTS/$2"; }

region_dialog_with_a_bad_value() {
  echo "-- 設定 → 計算領域 with a value that is no number"
  focus_main
  choose_menu p a
  wait_for_window 計算領域
  dialog=$found
  echo "region dialog: $(xwininfo -id "$dialog" | sed -n 's/^ *Width: //p')x$(xwininfo -id "$dialog" | sed -n 's/^ *Height: //p') with Wine's frame"
  xdotool type abc; xdotool key Return
  box=""
  for _ in $(seq $((hang_guard * 4))); do
    box=$(xdotool search --onlyvisible --name '^Corvalis$' | grep -v -x -e "$wid" | head -1)
    [ -n "$box" ] && break
    sleep 0.25
  done
  if [ -n "$box" ]; then
    for _ in $(seq $((hang_guard * 4))); do
      [ "$(xdotool getwindowfocus 2>/dev/null)" = "$box" ] && break
      sleep 0.25
    done
    sleep 0.5  # drawn, for the kept screenshot
    import -window "$box" box.png 2>/dev/null && keep box.png message-box.png
    echo "message box shown over the dialog"
    xdotool key Return
    for _ in $(seq $((hang_guard * 10))); do
      xdotool search --onlyvisible --name '^Corvalis$' | grep -q -v -x -e "$wid" || break
      sleep 0.1
    done
    xdotool search --onlyvisible --name '^計算領域$' >/dev/null || fail "the dialog closed with the message box"
  else
    fail "no message box for 'abc'"
  fi
  wait_for_window 計算領域
  xdotool key Escape
  wait_until_closed 計算領域 || fail "the region dialog stayed open"
}

drag_and_accept() {
  echo "-- a drag over the picture, its region dialog accepted with Enter"
  shot before-drag.png
  read -r width height <<<"$(xwininfo -id "$wid" | sed -n 's/^ *\(Width\|Height\): //p' | tr '\n' ' ')"
  x1=$((width * 45 / 100)); y1=$((height * 40 / 100)); x2=$((width * 60 / 100)); y2=$((height * 60 / 100))
  zoomed=$("$check" --region-after-drag before-drag.png 0 3 1 4 "$x1" "$y1" "$x2" "$y2" 2>/dev/null)
  echo "dragged from ($x1,$y1) to ($x2,$y2): region $zoomed"
  xdotool mousemove --window "$wid" "$x1" "$y1" mousedown 1
  xdotool mousemove --window "$wid" $(((x1 + x2) / 2)) $(((y1 + y2) / 2))
  xdotool mousemove --window "$wid" "$x2" "$y2" mouseup 1
  wait_for_window 計算領域
  import -window "$found" drag-dialog.png 2>/dev/null && keep drag-dialog.png drag-dialog.png
  xdotool key Return
  expect_picture "$zoomed" || fail "the picture of the dragged region"
  keep shot.png zoomed.png
}

colours_with_the_keyboard() {
  echo "-- 設定 → 色の変更, the keyboard alone: Tab twice to the check box, Up to モノクロ, Enter"
  wait_until_closed 計算領域 || fail "the region dialog stayed open"
  focus_main
  choose_menu p c
  wait_for_window 色の指定
  xdotool key Tab Tab Up Return
  expect_grey || fail "the picture is not in the monochrome scale"
  keep shot.png monochrome.png
  wait_until_closed 色の指定 || fail "the colour dialog stayed open"
}

"$WINE" "$dest/corvalis.exe" 2>/dev/null &
pid=$!
wid=$(timeout "$hang_guard" xdotool search --sync --onlyvisible --name '^Corvalis$' | head -1)
[ -n "$wid" ] || { echo "FAIL: no Corvalis window"; kill "$pid"; exit 1; }
focus_main

echo "-- 計算 → 計算開始"
choose_menu c s
expect_picture "0 3 1 4" || fail "the picture of the default region"
keep shot.png calculated.png

if [ "$all_steps" = yes ]; then
  region_dialog_with_a_bad_value
  drag_and_accept
  colours_with_the_keyboard
fi

echo "-- ﾌｧｲﾙ → ｱﾌﾟﾘｹｰｼｮﾝの終了"
focus_main
choose_menu f x
wait "$pid"
status=$?
echo "corvalis.exe exited with status $status"
[ "$status" -eq 0 ] || fail "exit status $status"
[ "$failed" -eq 0 ] && echo "window_wine_e2e: passed"
exit "$failed"
