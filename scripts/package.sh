#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and makes its Debian package,
# build/corvalis_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
scripts/install-deps.sh
build_preset release
cpack --config build/CPackConfig.cmake -B build
