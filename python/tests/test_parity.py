"""levels(), picture() and png() give what corvalis-render writes with the same options, byte for
byte, whatever the stripes and threads."""

import numpy as np
import pytest

import corvalis
from conftest import png_contents, pgm_levels, words

DEFAULT = (0, 3, 1, 4)
CHAOTIC = (0.4, 3.8, 0.6, 3.9)


@pytest.mark.parametrize(
    "region, grid, stripes, threads",
    [
        (DEFAULT, (64, 48), 1, 1),
        (DEFAULT, (64, 48), 3, 2),
        (CHAOTIC, (101, 37), 2, 3),
        ((-0.2, 4, 1.2, 4.3), (50, 20), 4, 1),  # above 4: orbits that escape
        ((1, 4, 0, 3), (33, 65), 5, 2),  # corners in the other order
        (DEFAULT, (40, 30), None, None),  # one stripe and one thread per processor
    ],
)
def test_levels_are_the_data_of_the_pgm(render, region, grid, stripes, threads):
    options = ["--region", *words(region), "--grid", f"{grid[0]}x{grid[1]}"]
    options += [] if stripes is None else ["--stripes", stripes, "--threads", threads]
    expected = pgm_levels(render.file(*options, output="--levels"))

    levels = corvalis.levels(region, grid, stripes=stripes, threads=threads)

    assert levels.dtype == np.uint8 and levels.flags.c_contiguous
    assert levels.shape == (grid[1], grid[0])
    assert levels.tobytes() == expected.tobytes()


@pytest.mark.parametrize(
    "region, size, scheme, reverse, stripes, threads",
    [
        (DEFAULT, {"grid": (64, 48)}, "blue", False, 2, 1),
        (DEFAULT, {"fit": (200, 150)}, "red", True, 3, 2),
        (CHAOTIC, {"fit": (120, 300)}, "mono", False, 1, 3),  # a portrait client area
        ((0.5, 3.6, 0.51, 3.61), {"fit": (300, 90)}, "green", True, 2, 2),
    ],
)
def test_picture_and_png_are_those_of_the_png_option(render, region, size, scheme, reverse, stripes, threads):
    [(kind, (width, height))] = size.items()
    options = ["--region", *words(region), f"--{kind}", f"{width}x{height}", "--scheme", scheme]
    options += ["--stripes", stripes, "--threads", threads] + (["--reverse"] if reverse else [])
    written = render.file(*options, output="-o")
    pixels, texts = png_contents(written)
    style = dict(scheme=scheme, reverse=reverse, stripes=stripes, threads=threads)

    picture = corvalis.picture(region, **size, **style)
    png = corvalis.png(region, **size, **style)

    assert picture.dtype == np.uint8 and picture.shape == pixels.shape
    assert picture.tobytes() == pixels.tobytes()
    assert png == written
    assert png._repr_png_() == written
    assert repr(png) == f"<corvalis.Png: {pixels.shape[1]}x{pixels.shape[0]}, {len(written)} bytes>"
    assert texts["Software"] == "corvalis-render " + corvalis.__version__
