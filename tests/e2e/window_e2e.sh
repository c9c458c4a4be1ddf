#!/usr/bin/env bash
# The real program in a real X window: start a calculation from the menu with key presses,
# check the picture and the label on a screenshot, then leave through Exit.
set -u
corvalis=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

cat >session.sh <<SESSION
set -u
"$corvalis" & pid=\$!
wid=\$(timeout 20 xdotool search --sync --name '^Corvalis$' | head -1)
[ -n "\$wid" ] || { echo "no Corvalis window"; kill \$pid; exit 1; }
xdotool windowfocus --sync "\$wid"
xdotool key --clearmodifiers alt+c
sleep 0.5
xdotool key s
ok=1
for attempt in \$(seq 1 60); do
  sleep 1
  /usr/bin/import -window "\$wid" shot.png 2>/dev/null || continue
  if "$check" shot.png "( 0.000 , 3.000 )---( 1.000 , 4.000 )" >check.log; then ok=0; break; fi
done
cat check.log
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
wait \$pid
status=\$?
echo "corvalis exited with status \$status"
[ \$ok -eq 0 ] && [ \$status -eq 0 ]
SESSION

if xvfb-run -a -s "-screen 0 1280x1024x24" bash session.sh; then
  echo "window_e2e: passed"
else
  echo "window_e2e: FAILED"
  exit 1
fi
