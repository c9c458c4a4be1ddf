"""levels(), picture() and png() give what corvalis-render writes with the same options, byte for
byte, whatever the stripes and threads."""

import math

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
    "region, size, scheme, reverse, shade, stripes, threads",
    [
        (DEFAULT, {"grid": (64, 48)}, "blue", False, "levels", 2, 1),
        (DEFAULT, {"fit": (200, 150)}, "red", True, "log", 3, 2),
        (CHAOTIC, {"fit": (120, 300)}, "mono", False, "equalize", 1, 3),  # a portrait client area
        ((0.5, 3.6, 0.51, 3.61), {"fit": (300, 90)}, "viridis", True, "levels", 2, 2),
    ],
)
def test_picture_and_png_are_those_of_the_png_option(render, region, size, scheme, reverse, shade, stripes, threads):
    [(kind, (width, height))] = size.items()
    options = ["--region", *words(region), f"--{kind}", f"{width}x{height}", "--scheme", scheme, "--shade", shade]
    options += ["--stripes", stripes, "--threads", threads] + (["--reverse"] if reverse else [])
    written = render.file(*options, output="-o")
    pixels, texts = png_contents(written)
    style = dict(scheme=scheme, reverse=reverse, shade=shade, stripes=stripes, threads=threads)

    picture = corvalis.picture(region, **size, **style)
    png = corvalis.png(region, **size, **style)

    assert picture.dtype == np.uint8 and picture.shape == pixels.shape
    assert picture.tobytes() == pixels.tobytes()
    assert png == written
    assert png._repr_png_() == written
    assert repr(png) == f"<corvalis.Png: {pixels.shape[1]}x{pixels.shape[0]}, {len(written)} bytes>"
    assert texts["Software"] == "corvalis-render " + corvalis.__version__


def literal_hits(region, grid, stripes):
    """The hits of every cell as the algorithm is written, stripe by stripe, in plain Python."""
    xmin, amin, xmax, amax = corvalis._corvalis.region(region)
    width, height = grid
    hits = np.zeros((height, width), np.uint64)
    grid_x = lambda p: (p * (xmax - xmin)) / width + xmin
    grid_y = lambda r: (r * (amax - amin)) / height + amin
    x0, xr = grid_x(0), grid_x(width) - grid_x(0)
    iterations = int((width * 100) / xr)
    bounds = [height * i // stripes for i in range(stripes + 1)]  # stripe i from row bounds[i]
    for first, last in zip(bounds, bounds[1:]):
        rows, y0, yr = last - first, grid_y(first), grid_y(last) - grid_y(first)
        for i in range(rows):
            a_row = (i / rows) * yr + y0
            for j in range(10):
                a = a_row - ((yr / rows) * j) * 0.1
                x = 0.12345
                for _ in range(iterations):
                    x = (x * (1 - x)) * a
                    if not -10 <= x <= 10:
                        break
                    column = math.trunc(((x - x0) / xr) * width)
                    if 0 <= column < width:
                        hits[height - 1 - (first + i), column] += 1
    return hits


def test_counts_are_the_hits_of_the_written_algorithm_and_make_the_levels():
    hits = corvalis.counts(DEFAULT, (9, 7), stripes=2, threads=2)
    assert hits.dtype == np.uint64 and hits.shape == (7, 9)
    assert (hits == literal_hits(DEFAULT, (9, 7), 2)).all()
    # A deep zoom's cells pass the 255 levels' 12,750 hits.
    zoom = ((0.5, 3.6, 0.51, 3.61), (30, 20))
    hits = corvalis.counts(*zoom, stripes=3, threads=2)
    assert hits.max() > 50 * 255
    assert (corvalis.levels(*zoom, stripes=3, threads=2) == np.minimum(hits // 50, 255)).all()


@pytest.mark.parametrize(
    "region, grid, stripes, threads",
    [
        (DEFAULT, (64, 48), 3, 2),
        ((0.5, 3.6, 0.51, 3.61), (30, 20), 2, 3),  # cells past the 255 levels' 12,750 hits
    ],
)
def test_the_counts_file_holds_counts_and_makes_the_levels_file(render, region, grid, stripes, threads):
    options = ["--region", *words(region), "--grid", f"{grid[0]}x{grid[1]}", "--stripes", stripes, "--threads", threads]
    done = render.run(*options, "--counts", "c.npy", "--levels", "l.pgm")
    assert done.returncode == 0, done.stderr

    counts = np.load(render.folder / "c.npy")

    assert counts.dtype == np.dtype("<u8") and counts.shape == (grid[1], grid[0])
    levels = pgm_levels((render.folder / "l.pgm").read_bytes())
    assert (np.minimum(counts // 50, 255) == levels).all()
    assert np.array_equal(counts, corvalis.counts(region, grid, stripes=stripes))
