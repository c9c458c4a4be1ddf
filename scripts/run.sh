#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target corvalis-render
# Until the window program exists, this draws the default diagram with corvalis-render.
build/tools/corvalis-render --region 0 3 1 4 --grid 660x660 --levels corvalis-default.pgm
echo "Wrote corvalis-default.pgm (the default region, 660 x 660 levels)."
