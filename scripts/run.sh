#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and starts it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh
build_preset release corvalis corvalis-render
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'MSG'
run: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).
  Start it from a desktop session, or on a machine without one run it in a virtual screen:
    xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/corvalis
  corvalis-render draws diagrams without a window: build/bin/corvalis-render --help
MSG
  exit 1
fi
exec build/bin/corvalis
