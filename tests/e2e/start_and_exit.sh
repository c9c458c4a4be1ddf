#!/usr/bin/env bash
# Runs a command that starts the window program on the current X screen, waits for its window
# however long the command takes to get there (a build first, say), and leaves it through
# ﾌｧｲﾙ → ｱﾌﾟﾘｹｰｼｮﾝの終了. Succeeds when the window came up and the program ended with status 0.
# Usage: start_and_exit.sh COMMAND [ARGUMENTS...]
set -u
# shellcheck source=x_steps.sh
source "$(dirname "$(realpath "$0")")/x_steps.sh"
"$@" &
pid=$!
wid=$(timeout 900 xdotool search --sync --onlyvisible --name '^Corvalis$' | head -1)
if [ -z "$wid" ]; then
  echo "no Corvalis window"
  kill "$pid" 2>/dev/null
  exit 1
fi
focus_main
choose_menu f x
wait "$pid"
status=$?
echo "the program exited with status $status"
exit "$status"
