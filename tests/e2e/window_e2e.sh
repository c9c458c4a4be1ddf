#!/usr/bin/env bash
# The real program in a real X window, driven by real key presses and mouse events: start a
# calculation from the menu, set a region in the region dialog, zoom by dragging over the
# picture, check the picture and the label on screenshots each time, then leave through Exit.
set -u
corvalis=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >session.sh <<SESSION
set -u
# Waits until a screenshot shows a diagram labelled with the given text.
expect_label() {
  for attempt in \$(seq 1 60); do
    sleep 1
    /usr/bin/import -window "\$wid" shot.png 2>/dev/null || continue
    if "$check" shot.png "\$1" >check.log; then cat check.log; return 0; fi
  done
  cat check.log
  return 1
}

# Waits until a dialog with the given caption (the region dialog's by default) is shown and
# has the keyboard.
wait_for_dialog() {
  dialog=\$(timeout 30 xdotool search --sync --onlyvisible --name "^\${1:-計算領域}\$" | head -1)
  for attempt in \$(seq 1 20); do
    [ "\$(xdotool getwindowfocus 2>/dev/null)" = "\$dialog" ] && break
    sleep 0.25
  done
  sleep 0.3
}

"$corvalis" & pid=\$!
# The window must be mapped before it can take the focus; a sanitizer build takes longer.
wid=\$(timeout 60 xdotool search --sync --onlyvisible --name '^Corvalis$' | head -1)
[ -n "\$wid" ] || { echo "no Corvalis window"; kill \$pid; exit 1; }
for attempt in \$(seq 1 20); do
  xdotool windowfocus --sync "\$wid" 2>/dev/null && break
  sleep 0.5
done
failed=0

echo "-- 計算 → 計算開始"
xdotool key --clearmodifiers alt+c; sleep 0.5; xdotool key s
expect_label "( 0.000 , 3.000 )---( 1.000 , 4.000 )" || failed=1

echo "-- 設定 → 計算領域, a new region, then 計算開始"
xdotool key --clearmodifiers alt+p; sleep 0.5; xdotool key a
wait_for_dialog
xdotool type 0.25; xdotool key Tab; xdotool type 3.5
xdotool key Tab Tab Tab
xdotool type 0.75; xdotool key Tab; xdotool type 3.9
xdotool key Return; sleep 0.5
xdotool key --clearmodifiers alt+c; sleep 0.5; xdotool key s
expect_label "( 0.2500 , 3.5000 )---( 0.7500 , 3.9000 )" || failed=1

echo "-- a drag over the picture, accepted with Enter"
sleep 2  # the first refresh tick of the new calculation fits the new picture
/usr/bin/import -window "\$wid" before-drag.png
zoomed=\$("$check" --label-after-drag before-drag.png 0.25 3.5 0.75 3.9 300 200 600 500)
xdotool mousemove --window "\$wid" 300 200 mousedown 1
xdotool mousemove --window "\$wid" 450 350; sleep 0.2
xdotool mousemove --window "\$wid" 600 500 mouseup 1
wait_for_dialog
xdotool key Return
expect_label "\$zoomed" || failed=1

echo "-- 設定 → 色の変更, the keyboard alone: Tab twice to the check box, Up to モノクロ, Enter"
xdotool key --clearmodifiers alt+p; sleep 0.5; xdotool key c
wait_for_dialog 色の指定
xdotool key Tab Tab Up Return
for attempt in \$(seq 1 20); do
  sleep 0.5
  /usr/bin/import -window "\$wid" shot.png 2>/dev/null || continue
  "$check" --grey shot.png >check.log && break
done
cat check.log
"$check" --grey shot.png >/dev/null || failed=1

xdotool key --clearmodifiers alt+f; sleep 0.5; xdotool key x
wait \$pid
status=\$?
echo "corvalis exited with status \$status"
[ \$failed -eq 0 ] && [ \$status -eq 0 ]
SESSION

if xvfb-run -a -s "-screen 0 1280x1024x24" bash session.sh; then
  echo "window_e2e: passed"
else
  echo "window_e2e: FAILED"
  exit 1
fi
