#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and runs every test. PRESET chooses another preset of
# CMakePresets.json than release (the sanitizer builds use asan and tsan).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh
preset=${PRESET:-release}
build_preset "$preset"
ctest --preset "$preset" -j "$(nproc)" ${CTEST_ARGS:-}
