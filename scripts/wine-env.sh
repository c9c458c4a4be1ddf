# Sourced by the Windows checks: runs Windows programs under Wine, headless, in a prefix of
# their own below WINE_ROOT (a scratch folder the caller made), and never in the user's home.
#   wine_start [--display :N]   makes the prefix on first use, starts Wine's server (and Xvfb)
#   wine_start_screen           the same on a free virtual screen, with the end-to-end tests'
#                               settings (tests/e2e/wine-prefix.reg: fonts, unmanaged windows)
#   wine_stop                   ends every Wine process of the prefix (and Xvfb)
# Wine is /usr/lib/wine/wine64 (Debian's wine64 without its recommended packages).
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=$WINE_ROOT/prefix
export HOME=$WINE_ROOT/home  # the prefix links its Documents and Desktop folders here
export WINEDEBUG=-all
# No Mono or Gecko to install, no menu entries written, and a crash ends the program with a
# failing status instead of a debugger session that exits 0.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
# Wine reads file names and arguments in the Unix locale: it must be UTF-8.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

wine_start() {
  mkdir -p "$HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    env -u DISPLAY "$WINE" wineboot --init </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    "$WINE" winecfg /v win10 </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  # A lasting server and Wine's own services, started with their output going nowhere: a
  # service started later by a test would keep the test runner's pipe open.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" wineboot </dev/null >/dev/null 2>&1
  if [ "${1:-}" = --display ]; then
    export DISPLAY=$2
    Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    for _ in $(seq 100); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
    "$WINE" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
  fi
}

wine_start_screen() {
  local display=90
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  wine_start --display ":$display"
  # regedit reads UTF-16 with its byte-order mark.
  iconv -f UTF-8 -t UTF-16LE "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/wine-prefix.reg" |
    { printf '\xff\xfe'; cat; } >"$WINE_ROOT/prefix.reg"
  "$WINE" regedit /S "$WINE_ROOT/prefix.reg" </dev/null >/dev/null 2>&1
}

wine_stop() {
  local sockets
  sockets=$(cat "$WINEPREFIX/wineserver" 2>/dev/null || true)  # /tmp/wine-XXXXXX
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  case "$sockets" in wine-??????) rm -rf "/tmp/$sockets" ;; esac
  if [ -n "${WINE_XVFB_PID:-}" ]; then kill "$WINE_XVFB_PID" 2>/dev/null || true; fi
}
