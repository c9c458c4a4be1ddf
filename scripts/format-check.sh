#!/usr/bin/env bash
# Checks that every C++ source follows .clang-format; names the files that do not and fails.
# Usage: scripts/format-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
find src tools tests bench python/src \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
  xargs -0 clang-format --dry-run -Werror --style=file
echo "format-check: every C++ file follows .clang-format"
