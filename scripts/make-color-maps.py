#!/usr/bin/env python3
# Writes src/render/color_maps.cpp: the colour maps viridis, magma, inferno and cividis, 256
# colours each, from the floats their authors published with matplotlib (_cm_listed.py). Each
# channel v in 0..1 becomes the 8-bit value v × 255 rounded half up, computed exactly from the
# decimal text of v.
# Usage: scripts/make-color-maps.py [PATH/TO/matplotlib/_cm_listed.py]
import re
import sys
from fractions import Fraction
from pathlib import Path

MAPS = ["viridis", "magma", "inferno", "cividis"]
source = Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/lib/python3/dist-packages/matplotlib/_cm_listed.py")
output = Path(__file__).resolve().parent.parent / "src/render/color_maps.cpp"
text = source.read_text()


def to_byte(decimal):
    value = Fraction(decimal) * 255 + Fraction(1, 2)
    byte = value.numerator // value.denominator
    assert 0 <= byte <= 255, decimal
    return byte


def colors(name):
    data = re.search(r"^_%s_data = \[(.*?)\]\]" % name, text, re.S | re.M).group(1)
    rows = re.findall(r"\[\s*([0-9.]+),\s*([0-9.]+),\s*([0-9.]+)\s*\]?", data)
    assert len(rows) == 256, (name, len(rows))
    return [to_byte(r) << 16 | to_byte(g) << 8 | to_byte(b) for r, g, b in rows]


lines = [
    "// The colour maps viridis, magma and inferno (Nathaniel J. Smith, Stéfan van der Walt) and",
    "// cividis (Jamie R. Nuñez, Christopher R. Anderton, Ryan S. Renslow), as published with",
    "// matplotlib: each channel v of the published floats became v × 255 rounded half up.",
    "// Written by scripts/make-color-maps.py; not to be edited by hand.",
    '#include "render/color_scale.h"',
]
for name in MAPS:
    lines.append("")
    lines.append("const ColorTable k%sColors = {" % name.capitalize())
    values = colors(name)
    for i in range(0, 256, 8):
        lines.append("    " + " ".join("0x%06X," % v for v in values[i : i + 8]) + "  // %d" % i)
    lines.append("};")
output.write_text("\n".join(lines) + "\n")
