"""The orbit-density levels as a Python user writes them with NumPy: the yardstick that
python_bench.py measures corvalis.levels() against.

It is the written algorithm vectorised the usual way. All rows of a stripe step together: the
10 sub-samples of every row are one (rows, 10) array, and x <- (x * (1 - x)) * a steps all of
them once per iteration. The iterates of a block of steps are kept, their columns worked out
for the whole block at once and counted with one np.bincount into every row's histogram (each
row's offset added to its columns), and the levels follow from the hits. One thread: NumPy's
element-wise operations run on the calling thread.

It computes the levels of corvalis.levels(region, grid, stripes=S), cell for cell: each
stripe's rows get the parameters that stripe gives them (worked out as corvalis works them out,
every operation in the same order), and every step, divergence test and column is the same IEEE
double operation. python_bench.py compares the two on every case it measures, the test
python_numpy_peer on a small grid of three stripes with escaping orbits.
It has no shortcut for periodic orbits: every sub-sample is iterated all the way, so a deep
zoom (about 10^7 iterations a sub-sample) takes tens of seconds.

    PYTHONPATH=build/python /usr/bin/python3 bench/numpy_peer.py 0 3 1 4 64x48 --stripes 2 --check
"""

from __future__ import annotations

import argparse
import math
import sys
from typing import Sequence, Tuple

import numpy as np

ORBIT_START = 0.12345
SUB_SAMPLES = 10
ESCAPE_BOUND = 10.0
# Iterates kept per block of steps (all rows and sub-samples together): 8 MB of doubles.
BLOCK_ITERATES = 1 << 20


def trunc_to_int32(value: float) -> int:
    """Toward zero, saturating at the 32-bit range; NaN and infinities give 0."""
    if not math.isfinite(value):
        return 0
    return max(-(1 << 31), min((1 << 31) - 1, math.trunc(value)))


def iteration_count(width: int, x_range: float) -> int:
    """Iterations per sub-sample: trunc((W * 100) / xr)."""
    return trunc_to_int32(float(width * 100) / x_range)


def stripe_bounds(stripe: int, stripes: int, height: int) -> Tuple[int, int]:
    """The grid rows [first, last) of a stripe; row 0 the least parameter."""
    return (stripe * height) // stripes, ((stripe + 1) * height) // stripes


def stripe_levels(width: int, rows: int, x_min: float, y_start: float, x_range: float,
                  y_range: float) -> np.ndarray:
    """The levels (rows, width) of one stripe, its row 0 the least parameter."""
    row = np.arange(rows, dtype=np.float64)
    row_parameter = (row / rows) * y_range + y_start
    sub_sample = np.arange(SUB_SAMPLES, dtype=np.float64)
    a = row_parameter[:, None] - ((y_range / rows) * sub_sample[None, :]) * 0.1

    iterations = iteration_count(width, x_range)
    offsets = np.broadcast_to((np.arange(rows, dtype=np.int64) * width)[:, None], a.shape)
    hits = np.zeros(rows * width, dtype=np.int64)
    x = np.full(a.shape, ORBIT_START)
    alive = np.ones(a.shape, dtype=bool)  # not escaped yet
    block = max(1, min(iterations, BLOCK_ITERATES // a.size))
    orbit = np.empty((block,) + a.shape)
    factor = np.empty(a.shape)
    done = 0
    with np.errstate(over="ignore", invalid="ignore"):
        while done < iterations and alive.any():
            steps = min(block, iterations - done)
            for iterate in orbit[:steps]:
                # (x * (1 - x)) * a, written into the block without a temporary array a step.
                np.subtract(1.0, x, out=factor)
                np.multiply(x, factor, out=factor)
                np.multiply(factor, a, out=iterate)
                x = iterate
            done += steps
            iterates = orbit[:steps]
            # A sub-sample ends at its first iterate beyond +-10 (or NaN), which is not counted.
            bounded = np.abs(iterates) <= ESCAPE_BOUND
            if bounded.all():
                counted = np.broadcast_to(alive, iterates.shape)
            else:
                counted = np.logical_and.accumulate(bounded, axis=0) & alive
                alive = counted[-1].copy()
                x = np.where(alive, x, 0.0)  # escaped orbits stay put instead of overflowing
            quotient = ((iterates - x_min) / x_range) * width
            # trunc(quotient) lies in 0..W-1 exactly when -1 < quotient < W.
            counted = counted & (quotient > -1) & (quotient < width)
            columns = quotient[counted].astype(np.int64) + np.broadcast_to(offsets, iterates.shape)[counted]
            hits += np.bincount(columns, minlength=rows * width)
    levels = np.minimum((hits * 0.02).astype(np.int64), 255)
    return levels.reshape(rows, width).astype(np.uint8)


def ordered_region(region: Sequence[float]) -> Tuple[float, float, float, float]:
    x0, y0, x1, y1 = (float(value) for value in region)
    return min(x0, x1), min(y0, y1), max(x0, x1), max(y0, y1)


def levels(region: Sequence[float], grid: Tuple[int, int], stripes: int = 1) -> np.ndarray:
    """The levels of corvalis.levels(region, grid, stripes=stripes): (H, W) uint8, row 0 the
    largest parameter."""
    xmin, ymin, xmax, ymax = ordered_region(region)
    width, height = grid
    # x(p) = (p * xr) / W + xmin and y(r) = (r * yr) / H + ymin, multiplication first.
    x_start = (0 * (xmax - xmin)) / width + xmin
    x_range = (width * (xmax - xmin)) / width + xmin - x_start
    out = np.empty((height, width), dtype=np.uint8)
    for stripe in range(stripes):
        first, last = stripe_bounds(stripe, stripes, height)
        if first == last:
            continue
        y_start = (first * (ymax - ymin)) / height + ymin
        y_range = (last * (ymax - ymin)) / height + ymin - y_start
        computed = stripe_levels(width, last - first, x_start, y_start, x_range, y_range)
        # Grid row r is array row H - 1 - r.
        out[height - last:height - first] = computed[::-1]
    return out


def main(arguments: Sequence[str]) -> int:
    parser = argparse.ArgumentParser(description="Orbit-density levels with NumPy, one thread.")
    parser.add_argument("region", nargs=4, type=float, metavar="XMIN YMIN XMAX YMAX")
    parser.add_argument("grid", help="WxH")
    parser.add_argument("--stripes", type=int, default=1)
    parser.add_argument("--check", action="store_true",
                        help="compare with corvalis.levels(..., threads=1)")
    options = parser.parse_args(arguments)
    width, height = (int(side) for side in options.grid.lower().split("x"))
    computed = levels(options.region, (width, height), options.stripes)
    total = int(computed.sum(dtype=np.int64))
    print(f"{width}x{height}: levels {computed.min()}..{computed.max()}, sum {total}")
    if options.check:
        import corvalis

        expected = corvalis.levels(options.region, (width, height), stripes=options.stripes, threads=1)
        differing = int(np.count_nonzero(computed != expected))
        print("equal to corvalis.levels" if differing == 0
              else f"{differing} cells differ from corvalis.levels")
        return 0 if differing == 0 else 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
