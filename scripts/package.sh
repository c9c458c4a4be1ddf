#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and makes its Debian package,
# build/corvalis_<version>_<architecture>.deb. BUILD_DIR chooses another build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
cpack --config "$build/CPackConfig.cmake" -B "$build"
