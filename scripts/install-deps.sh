#!/usr/bin/env bash
# Installs the Debian packages that building, running, testing and packaging Corvalis need;
# with "windows", also those of the Windows checks (MinGW-w64, Wine, GoogleTest's sources);
# with "windows-release", also those that make the Windows setup program and archive (NSIS,
# zip, unzip); with "debian", also those of the Debian package's checks (lintian, man, bash
# completion); with "slurm", a scheduler for the cluster check (Slurm's daemons and client,
# munge); with "film", ffmpeg for the film check.
# Only missing packages are installed; with nothing missing it returns at once.
# Usage: scripts/install-deps.sh [windows|windows-release|debian|slurm|film]
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
  fonts-ipafont-gothic fonts-liberation
  xvfb xauth xdotool imagemagick x11-utils
  locales file
  binutils-mingw-w64-x86-64 desktop-file-utils icoutils
  scdoc appstream dpkg-dev
  stress-ng clang-format
  pybind11-dev python3-dev python3-numpy python3-pytest python3-skbuild python3-venv python3-pip
  python3-matplotlib
)
case "${1:-}" in
  windows) packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 googletest) ;;
  windows-release) packages+=(nsis zip unzip) ;;
  debian) packages+=(lintian man-db bash-completion) ;;
  slurm) packages+=(slurmctld slurmd slurm-client munge) ;;
  film) packages+=(ffmpeg) ;;
esac

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  echo "install-deps: this system has no apt/dpkg. Install these packages (or their equivalents) by hand:" >&2
  echo "  ${packages[*]}" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo is available." >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
