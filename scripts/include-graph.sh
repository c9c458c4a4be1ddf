#!/usr/bin/env bash
# Prints which folder's code includes which other folder's headers (src/FOLDER or tools), with
# the number of #include lines, and fails when the folders include each other in a circle.
# Usage: scripts/include-graph.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

folders=$(ls -d src/*/ | xargs -n1 basename; echo tools)
edges=$(
  for file in $(find src tools -name '*.cpp' -o -name '*.h'); do
    case "$file" in
      src/*) from=$(echo "$file" | cut -d/ -f2) ;;
      *) from=tools ;;
    esac
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^/"]*\)\/.*"/\1/p' "$file" |
      while read -r to; do
        if [ "$to" != "$from" ] && echo "$folders" | grep -qx "$to"; then echo "$from $to"; fi
      done
  done | sort | uniq -c | awk '{print $2, $3, $1}'
)

echo "$edges" | awk '{printf "%-10s -> %-10s %3d includes\n", $1, $2, $3}'
if ! loops=$(echo "$edges" | awk '{print $1, $2}' | tsort 2>&1 >/dev/null) || [ -n "$loops" ]; then
  echo "include-graph: the folders include each other in a circle:" >&2
  echo "$loops" >&2
  exit 1
fi
echo "include-graph: no circle"
