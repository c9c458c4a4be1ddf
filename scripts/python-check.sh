#!/usr/bin/env bash
# The Python module installed as the README installs it: a virtual environment of Debian's
# Python that sees the system's NumPy, `pip install --no-build-isolation ./python` (offline:
# scikit-build and pybind11 come from Debian), then, from outside the source folder, the
# installed module's levels against corvalis-render's PGM, byte for byte.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
scripts/install-deps.sh
build_preset release corvalis-render
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

started=$(now)
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --no-build-isolation --no-index --quiet ./python
took "pip install" "$started"

build/bin/corvalis-render --quiet --region 0.4 3.8 0.6 3.9 --grid 120x90 --stripes 3 --levels "$work/zoom.pgm"
cd "$work"
venv/bin/python - zoom.pgm <<'PYTHON'
import sys

import numpy as np

import corvalis

assert corvalis.__file__.startswith(sys.prefix), f"corvalis imported from {corvalis.__file__}"
data = open(sys.argv[1], "rb").read()
expected = np.frombuffer(data[-120 * 90:], np.uint8).reshape(90, 120)
levels = corvalis.levels((0.4, 3.8, 0.6, 3.9), (120, 90), stripes=3)
assert levels.tobytes() == expected.tobytes(), "the installed module's levels differ from the PGM's"
print(f"python-check: corvalis {corvalis.__version__} from {corvalis.__file__}: the PGM's levels")
PYTHON
