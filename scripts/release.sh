#!/usr/bin/env bash
# Makes a release of the commit checked out, in dist/:
#   corvalis_<version>_<architecture>.deb          the Debian package of the programs } scripts/package.sh
#   python3-corvalis_<version>_<architecture>.deb  that of the Python module           }
#   Corvalis-<version>-win64-setup.exe             the Windows setup program           } scripts/package-windows.sh
#   Corvalis-<version>-win64.zip                   the Windows archive                 }
#   corvalis-<version>.tar.gz                      the source (git archive)
#   SHA256SUMS                                     the SHA-256 sum of each
# The programs are built from the files and the source archive from the commit, so the files
# must be the commit's: it refuses to start with changes not committed.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ -z "$(git status --porcelain)" ] ||
  { echo "release: the work tree has changes; commit them first, or set them aside" >&2; git status --short >&2; exit 1; }
rm -f build/corvalis_*.deb build/python3-corvalis_*.deb
scripts/package.sh
scripts/package-windows.sh
version=$(project_version build)

rm -rf dist
mkdir dist
cp build/corvalis_"$version"_*.deb build/python3-corvalis_"$version"_*.deb \
  build-windows-gui/Corvalis-"$version"-win64-setup.exe build-windows-gui/Corvalis-"$version"-win64.zip dist/
git archive --format=tar.gz --prefix="corvalis-$version/" -o "dist/corvalis-$version.tar.gz" HEAD
(cd dist && sha256sum -- * >SHA256SUMS)
echo "release: $(git rev-parse --short HEAD) as version $version in dist/"
ls -l dist
cat dist/SHA256SUMS
