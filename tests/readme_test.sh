#!/usr/bin/env bash
# Runs every command of the README's sh blocks, and its Python scripts, as a newcomer would, so
# none can go stale.
# scripts/test.sh is the runner of this very test, the Windows scripts run in CI on their own,
# and so do scripts/package.sh with the install of its package (scripts/debian-check.sh,
# which installs to the system), scripts/release.sh and the Python module's install into a
# virtual environment (scripts/python-check.sh, which builds the module again), so they are left
# out; the build folder is the one under test, and every file the commands write goes to a
# scratch folder.
set -u
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

commands=$(awk '/^```sh$/ {inside = 1; next} /^```$/ {inside = 0} inside' "$source_dir/README.md" |
           sed 's/[[:space:]]*#.*$//' | grep -v '^[[:space:]]*$' |
           grep -v -e '^scripts/test.sh$' -e '^scripts/windows-' -e '^scripts/build-windows.sh ' \
             -e '^scripts/package.sh$' -e '^scripts/package-windows.sh$' -e '^scripts/release.sh$' \
             -e '^sudo ' -e '^/usr/bin/python3 -m venv ' -e '^venv/bin/')
while IFS= read -r line; do
  command=${line//build\//$build_dir\/}
  command=${command//-S . /-S $source_dir }
  command=${command//-B build /-B $work/build-readme }
  command=${command//--build build /--build $work/build-readme }
  command=${command//--install build /--install $build_dir }
  command=${command// bench\// $source_dir/bench/}
  echo "\$ $line"
  case "$line" in
    scripts/run.sh | xvfb-run*)
      # The window must come up; Exit from its menu then ends the program with status 0.
      (cd "$source_dir" && HOME=$work xvfb-run -a -s "-screen 0 1280x1024x24" \
         "$source_dir/tests/e2e/start_and_exit.sh" bash -c "${command#xvfb-run -a -s \"-screen 0 1280x1024x24\" }" \
         >"$work/out" 2>&1) ||
        { echo "FAIL"; cat "$work/out"; failures=$((failures + 1)); }
      ;;
    *)
      (cd "$work" && HOME=$work bash -c "$command" >"$work/out" 2>&1) ||
        { echo "FAIL"; tail -5 "$work/out"; failures=$((failures + 1)); }
      ;;
  esac
done <<<"$commands"

# The Python scripts run as a user runs them, with Debian's interpreter and the module the build
# made, their figures drawn without a display.
awk '/^```python$/ {inside = 1; script++; next} /^```$/ {inside = 0} inside {print > (dir "/script-" script ".py")}' \
  dir="$work" "$source_dir/README.md"
for script in "$work"/script-*.py; do
  echo "\$ python3 $(basename "$script")"
  (cd "$work" && HOME=$work PYTHONPATH=$build_dir/python MPLBACKEND=Agg /usr/bin/python3 "$script" >"$work/out" 2>&1) ||
    { echo "FAIL"; tail -5 "$work/out"; failures=$((failures + 1)); }
done

for output in poster.png zoom.png levels.pgm .local/bin/corvalis diagram.png; do
  [ -e "$work/$output" ] || { echo "FAIL: $output was not made"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ] && echo "readme: every command ran"
exit "$failures"
