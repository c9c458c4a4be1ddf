"""levels(), picture() and png() give what corvalis-render writes with the same options, byte for
byte, whatever the stripes and threads; counts(), row_parameters() and lyapunov() what the
algorithm as written gives."""

import functools
import math
import operator

import numpy as np
import pytest

import corvalis
from conftest import lyapunov_table, png_contents, pgm_levels, words

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


def literal_parameters(region, grid, stripes):
    """The parameter of sub-sample j of every row as the algorithm is written, stripe by stripe,
    in plain Python: an (H, 10) array, row 0 the top."""
    _, amin, _, amax = corvalis._corvalis.region(region)
    height = grid[1]
    grid_y = lambda r: (r * (amax - amin)) / height + amin
    parameters = np.empty((height, 10))
    bounds = [height * i // stripes for i in range(stripes + 1)]  # stripe i from row bounds[i]
    for first, last in zip(bounds, bounds[1:]):
        rows, y0, yr = last - first, grid_y(first), grid_y(last) - grid_y(first)
        for i in range(rows):
            a_row = (i / rows) * yr + y0
            for j in range(10):
                parameters[height - 1 - (first + i), j] = a_row - ((yr / rows) * j) * 0.1
    return parameters


def literal_hits(region, grid, stripes):
    """The hits of every cell as the algorithm is written, in plain Python."""
    xmin, _, xmax, _ = corvalis._corvalis.region(region)
    width, height = grid
    hits = np.zeros((height, width), np.uint64)
    grid_x = lambda p: (p * (xmax - xmin)) / width + xmin
    x0, xr = grid_x(0), grid_x(width) - grid_x(0)
    iterations = int((width * 100) / xr)
    for row, parameters in enumerate(literal_parameters(region, grid, stripes)):
        for a in parameters:
            x = 0.12345
            for _ in range(iterations):
                x = (x * (1 - x)) * a
                if not -10 <= x <= 10:
                    break
                column = math.trunc(((x - x0) / xr) * width)
                if 0 <= column < width:
                    hits[row, column] += 1
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


@pytest.mark.parametrize("stripes", [1, 3, 7])  # 7 stripes of 5 rows: some with none
def test_row_parameters_are_those_of_the_written_algorithm(stripes):
    region, grid = (0.2, 3.9, 0.8, 2.7), (3, 5)  # the parameter axis given from the top
    each = corvalis.row_parameters(region, grid, stripes=stripes, sub_samples=True)

    assert each.dtype == np.float64 and each.shape == (5, 10)
    assert each.tobytes() == literal_parameters(region, grid, stripes).tobytes()
    assert corvalis.row_parameters(region, grid, stripes=stripes).tobytes() == each[:, 0].tobytes()


def test_lyapunov_rows_are_their_sub_samples_mean_from_the_top_whatever_the_threads():
    region, grid = (0.2, 2.3, 0.8, 3.9), (11, 17)
    rows = corvalis.lyapunov(region, grid, stripes=3, threads=1)
    each = corvalis.lyapunov(region, grid, stripes=3, threads=3, sub_samples=True)

    assert rows.dtype == np.float64 and rows.shape == (17,) and rows.flags.c_contiguous
    assert each.dtype == np.float64 and each.shape == (17, 10) and each.flags.c_contiguous
    # The sum in sub-sample order, divided by their number: the bits of the renderer's rows.
    assert rows.tobytes() == np.array([functools.reduce(operator.add, row) / 10 for row in each]).tobytes()
    assert rows.tobytes() == corvalis.lyapunov(region, grid, stripes=3, threads=2).tobytes()
    # Row 0 the top: stable at the bottom (a = 2.3), chaotic at the top (a = 3.9).
    assert rows[-1] < 0 < rows[0]


def test_lyapunov_of_a_sub_sample_depends_on_its_parameter_alone_whatever_the_stripes():
    region, grid = (0, 3.5, 1, 4), (20, 24)
    exponents = {}
    for stripes in (1, 3, 5):
        parameters = corvalis.row_parameters(region, grid, stripes=stripes, sub_samples=True)
        each = corvalis.lyapunov(region, grid, stripes=stripes, sub_samples=True)
        for a, exponent in zip(parameters.ravel(), each.ravel()):
            exponents.setdefault(a, []).append(exponent)
    shared = [found for found in exponents.values() if len(found) > 1]
    assert shared, "no parameter that two stripings share"
    assert all(np.array(found).tobytes() == np.full(len(found), found[0]).tobytes() for found in shared)


@pytest.mark.parametrize(
    "region, grid, stripes, threads",
    [
        (DEFAULT, (30, 40), 3, 2),
        ((-0.2, 3.9, 1.2, 4.3), (20, 25), 2, 1),  # above 4: orbits that leave
        ((1, 3.9, 0, 2.5), (11, 9), 4, 3),  # corners in the other order
    ],
)
def test_lyapunov_and_row_parameters_are_the_table_of_the_lyapunov_option(render, region, grid, stripes, threads):
    options = ["--region", *words(region), "--grid", f"{grid[0]}x{grid[1]}", "--stripes", stripes, "--threads", threads]
    done = render.run(*options, "--lyapunov", "l.csv")
    assert done.returncode == 0, done.stderr
    table = lyapunov_table((render.folder / "l.csv").read_text())

    each = corvalis.lyapunov(region, grid, stripes=stripes, sub_samples=True)
    given = np.column_stack([
        np.arange(grid[1]),
        corvalis.row_parameters(region, grid, stripes=stripes),
        corvalis.lyapunov(region, grid, stripes=stripes, threads=threads),
        each.min(axis=1),
        each.max(axis=1),
    ])

    assert table.shape == given.shape
    assert table.tobytes() == given.tobytes()


def lyapunov_against_parameters(region, grid, stripes=2):
    """Every sub-sample's exponent beside its parameter, flat."""
    parameters = corvalis.row_parameters(region, grid, stripes=stripes, sub_samples=True)
    return parameters.ravel(), corvalis.lyapunov(region, grid, stripes=stripes, sub_samples=True).ravel()


def test_lyapunov_is_that_of_the_maps_attractors():
    # Thousands of iterations from 0.12345, the transient included: close, not equal.
    a, exponent = lyapunov_against_parameters((0, 2.2, 1, 2.8), (30, 8))  # the fixed point 1 - 1/a
    assert np.allclose(exponent, np.log(np.abs(2 - a)), atol=0.02, rtol=0)

    a, exponent = lyapunov_against_parameters((0, 3.1, 1, 3.42), (30, 16))  # the 2-cycle
    multiplier = np.abs(4 + 2 * a - a * a)
    clear = multiplier > 0.2  # not where it is superstable (a = 1 + sqrt(5)) and λ plunges
    assert clear.sum() > 100
    assert np.allclose(exponent[clear], 0.5 * np.log(multiplier[clear]), atol=0.02, rtol=0)

    a, exponent = lyapunov_against_parameters((0, 4, 1, 4.001), (100, 2))  # chaos at a = 4, 10000 iterations
    [full] = exponent[a == 4.0]
    assert abs(full - math.log(2)) < 0.05

    rows = corvalis.lyapunov((0, 3.833, 1, 3.84), (50, 10), stripes=2)  # inside the period-3 window
    assert (rows < 0).all()


def escaping_lyapunov(a):
    """λ of an orbit from 0.12345 that leaves [-10, 10]: over the steps made, the last included."""
    x, logs = 0.12345, []
    while -10 <= x <= 10:
        logs.append(math.log(abs(a * (1 - 2 * x))))
        x = (x * (1 - x)) * a
    return math.fsum(logs) / len(logs)


def test_lyapunov_of_an_orbit_that_leaves_is_that_of_the_steps_it_made():
    a, exponent = lyapunov_against_parameters((0, 4.5, 1, 4.6), (10, 2))
    assert np.allclose(exponent, [escaping_lyapunov(parameter) for parameter in a], rtol=1e-12, atol=0)
