"""Builds the package corvalis with scikit-build: CMake configures the whole source tree above
this folder, without the window program, the tests and the benchmarks, and installs only the
package (the install-python target)."""

import re
from pathlib import Path

from skbuild import setup

SOURCE = Path(__file__).resolve().parent.parent
VERSION = re.search(r"project\(Corvalis VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text()).group(1)

setup(
    name="corvalis",
    version=VERSION,
    description="Orbit-density diagrams of the quadratic map x -> a*x*(1-x) as NumPy arrays",
    packages=["corvalis"],
    package_data={"corvalis": ["py.typed", "*.pyi"]},
    python_requires=">=3.9",
    install_requires=["numpy"],
    cmake_source_dir="..",
    cmake_install_target="install-python",
    cmake_args=[
        "-DCORVALIS_BUILD_GUI=OFF",
        "-DCORVALIS_BUILD_TESTS=OFF",
        "-DCORVALIS_BUILD_BENCH=OFF",
    ],
)
