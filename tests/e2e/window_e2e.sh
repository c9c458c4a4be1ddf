#!/usr/bin/env bash
# The real program in a real X window, driven by real key presses and mouse events: start a
# calculation from the menu, set a region in the region dialog, zoom by dragging over the
# picture, check the picture (pixel for pixel against corvalis-render's) and the label on
# screenshots each time, choose the monochrome scale with the keyboard, then leave through Exit.
# Usage: window_e2e.sh CORVALIS SCREENSHOT_CHECK CORVALIS_RENDER
set -u
if [ -z "${CORVALIS_E2E_SCREEN:-}" ]; then
  if CORVALIS_E2E_SCREEN=1 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"; then
    echo "window_e2e: passed"
    exit 0
  fi
  echo "window_e2e: FAILED"
  exit 1
fi

corvalis=$(realpath "$1")
check=$(realpath "$2")
render=("$(realpath "$3")")
# shellcheck source=x_steps.sh
source "$(dirname "$(realpath "$0")")/x_steps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# Waits until a screenshot shows a diagram labelled with the given text.
expect_label() {
  for _ in $(seq "$hang_guard"); do
    sleep 1
    shot shot.png || continue
    if "$check" shot.png "$1" >check.log; then cat check.log; return 0; fi
  done
  cat check.log
  return 1
}

"$corvalis" &
pid=$!
wid=$(timeout "$hang_guard" xdotool search --sync --onlyvisible --name '^Corvalis$' | head -1)
[ -n "$wid" ] || { echo "no Corvalis window"; kill "$pid"; exit 1; }
focus_main
failed=0

echo "-- 計算 → 計算開始"
choose_menu c s
expect_label "( 0.000 , 3.000 )---( 1.000 , 4.000 )" || failed=1
expect_picture "0 3 1 4" || failed=1

echo "-- 設定 → 計算領域, a new region, then 計算開始"
choose_menu p a
wait_for_window 計算領域
xdotool type 0.25; xdotool key Tab; xdotool type 3.5
xdotool key Tab Tab Tab
xdotool type 0.75; xdotool key Tab; xdotool type 3.9
xdotool key Return
wait_until_closed 計算領域 || failed=1
focus_main
choose_menu c s
expect_label "( 0.2500 , 3.5000 )---( 0.7500 , 3.9000 )" || failed=1
expect_picture "0.25 3.5 0.75 3.9" || failed=1  # the new picture's frame, which the drag maps through

echo "-- a drag over the picture, accepted with Enter"
shot before-drag.png
zoomed=$("$check" --label-after-drag before-drag.png 0.25 3.5 0.75 3.9 300 200 600 500)
xdotool mousemove --window "$wid" 300 200 mousedown 1
xdotool mousemove --window "$wid" 450 350
xdotool mousemove --window "$wid" 600 500 mouseup 1
wait_for_window 計算領域
xdotool key Return
expect_label "$zoomed" || failed=1

echo "-- 設定 → 色の変更, the keyboard alone: Tab twice to the check box, Up to モノクロ, Enter"
wait_until_closed 計算領域 || failed=1
focus_main
choose_menu p c
wait_for_window 色の指定
xdotool key Tab Tab Up Return
expect_grey || failed=1

wait_until_closed 色の指定 || failed=1
focus_main
choose_menu f x
wait "$pid"
status=$?
echo "corvalis exited with status $status"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
