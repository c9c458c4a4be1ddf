#!/usr/bin/env bash
# Installs what is missing, builds Corvalis and makes its Debian packages:
#   build/corvalis_<version>_<architecture>.deb          the programs
#   build/python3-corvalis_<version>_<architecture>.deb  the Python module, for Debian's python3
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh
build_preset release
[ -f build/CPackPythonConfig.cmake ] ||
  { echo "package: the build made no Python module for /usr/bin/python3 (see its configure step)" >&2; exit 1; }
cpack --config build/CPackConfig.cmake -B build
cpack --config build/CPackPythonConfig.cmake -B build
