#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and makes its Debian package,
# build/corvalis_<version>_<architecture>.deb.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh
build_preset release
cpack --config build/CPackConfig.cmake -B build
