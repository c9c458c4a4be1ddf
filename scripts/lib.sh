# The steps the scripts share. Sourcing it goes to the source folder, where every script works:
#   build_preset PRESET [TARGET...]  configures and builds a preset of CMakePresets.json (all of
#                                    it, or the targets given), showing only the build's output
#   now, since START, took WHAT START  timing: a moment, the seconds since one, and a line that
#                                    says how long a step took
#   qt_mingw_archive                 the archive of Qt for MinGW: CORVALIS_QT_MINGW, or the one
#                                    in shared/qt6-mingw beside the source folder
#   project_version BUILD            the version of the project configured in a build folder

cd "$(dirname "${BASH_SOURCE[0]}")/.."

build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
  else
    cmake --build --preset "$preset"
  fi
}

now() { date +%s.%N; }
since() { awk -v start="$1" -v end="$(now)" 'BEGIN { printf "%.1f s", end - start }'; }
took() { echo "-- $1: $(since "$2")"; }

qt_mingw_archive() {
  echo "${CORVALIS_QT_MINGW:-$(realpath -m "$PWD/../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz")}"
}

project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"; }
