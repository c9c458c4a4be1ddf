# The steps of the end-to-end tests on an X screen, shared by the Linux and the Wine test. Every
# wait ends when what it waits for is there; its limit only guards against a hang. Sourced; the
# caller sets $wid (the main window), $check (screenshot_check) and render (the command that
# makes the picture of a region). Window captions are matched ignoring case, as xdotool does.

hang_guard=60  # seconds

shot() { import -window "$wid" "$1" 2>/dev/null; }

# Waits until a window with the given caption is shown and has the keyboard; its id in $found.
wait_for_window() {
  found=$(timeout "$hang_guard" xdotool search --sync --onlyvisible --name "^$1\$" | head -1)
  for _ in $(seq $((hang_guard * 4))); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$found" ] && break
    sleep 0.25
  done
  sleep 0.3  # the toolkit takes the focus after the window system has given it
}

# Gives the main window the keyboard: no window manager does it on a virtual screen.
focus_main() {
  for _ in $(seq $((hang_guard * 4))); do
    xdotool windowfocus --sync "$wid" 2>/dev/null && return 0
    sleep 0.25
  done
  return 1
}

# Waits until no window with the given caption is shown.
wait_until_closed() {
  for _ in $(seq $((hang_guard * 10))); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# Chooses a menu item with the keyboard: Alt with the pop-up's mnemonic, then the item's once the
# pop-up, a window of its own, is shown.
choose_menu() {
  local shown
  shown=$(xdotool search --onlyvisible --name '' | wc -l)
  xdotool key --clearmodifiers "alt+$1"
  for _ in $(seq $((hang_guard * 10))); do
    [ "$(xdotool search --onlyvisible --name '' | wc -l)" -gt "$shown" ] && break
    sleep 0.1
  done
  xdotool key "$2"
}

# Waits until the window shows the picture that the renderer makes of the region for the view's
# client size: the same pixels, every one.
expect_picture() {
  local region=$1 client=""
  for _ in $(seq "$hang_guard"); do
    sleep 1
    shot shot.png || continue
    client=$("$check" --client shot.png 2>/dev/null) || continue
    if [ "$region $client" != "$(cat expected.of 2>/dev/null)" ]; then
      # shellcheck disable=SC2086  # the region is four numbers
      timeout 300 "${render[@]}" --region $region --fit "$client" --quiet -o expected.png
      echo "$region $client" >expected.of
    fi
    "$check" --same-picture shot.png expected.png >check.log 2>/dev/null && break
  done
  echo "client area $client, $(cat check.log)"
  "$check" --same-picture shot.png expected.png >/dev/null 2>&1
}

# Waits until a screenshot shows a diagram in the monochrome scale.
expect_grey() {
  for _ in $(seq $((hang_guard * 2))); do
    sleep 0.5
    shot shot.png && "$check" --grey shot.png >check.log 2>/dev/null && break
  done
  cat check.log
  "$check" --grey shot.png >/dev/null 2>&1
}
