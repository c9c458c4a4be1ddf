"""Orbit-density diagrams of the quadratic map x -> a*x*(1 - x), as NumPy arrays.

The parameter a runs up the vertical axis and the orbit value x across; each row tells how
densely the orbit of 0.12345 visits each x, in levels 0..255. Everything here computes exactly
what corvalis-render computes with the same options, byte for byte:

    levels(region, grid)         the density levels, an (H, W) uint8 array (--levels)
    counts(region, grid)         the hits each level comes from, an (H, W) uint64 array
    lyapunov(region, grid)       the Lyapunov exponent of every row, an (H,) float64 array
                                 (--lyapunov)
    row_parameters(region, grid) the parameter a of every row, an (H,) float64 array
    picture(region, grid=...)    the coloured picture, an (H, W, 3) uint8 RGB array (-o)
    png(region, grid=...)        the PNG file that -o writes, shown by a notebook
    rows(region, grid)           the levels a row at a time, with shards and rows files
                                 (--shard, --rows)
    extent(region)               the region's extent for matplotlib's imshow

A region is (XMIN, YMIN, XMAX, YMAX) as corvalis-render's --region takes it: x from XMIN to
XMAX, the parameter a from YMIN to YMAX, each axis in either order. Row 0 of every array is the
largest parameter, so that

    plt.imshow(corvalis.levels(region, (800, 600)), extent=corvalis.extent(region))

shows the diagram right side up with imshow's default origin="upper".

The rows are computed on every processor (threads=None) with the interpreter lock released, so
other Python threads go on meanwhile, and Ctrl+C (KeyboardInterrupt) stops a computation within
a fraction of a second. stripes=None computes the rows as the window program does with one
worker per processor, as corvalis-render does by default; give stripes to get the same levels on
any machine. progress=True shows how far the rows are: a tqdm bar where tqdm is installed,
otherwise a line on standard error.
"""

from __future__ import annotations

import contextlib
import os
import sys
from typing import Callable, Iterator, Optional, Sequence, Tuple, Union

import numpy as np

from . import _corvalis

__version__: str = _corvalis.__version__

#: The region the window program starts from: x from 0 to 1, a from 3 to 4.
DEFAULT_REGION: Tuple[float, float, float, float] = (0.0, 3.0, 1.0, 4.0)

#: The names of the colour scales, as corvalis-render's --scheme takes them.
SCHEMES: Tuple[str, ...] = _corvalis.SCHEMES

#: The names of the shadings, as corvalis-render's --shade takes them.
SHADINGS: Tuple[str, ...] = _corvalis.SHADINGS

Region = Sequence[float]
Size = Tuple[int, int]
PathName = Union[str, "os.PathLike[str]"]

__all__ = [
    "DEFAULT_REGION",
    "Png",
    "SCHEMES",
    "SHADINGS",
    "counts",
    "extent",
    "levels",
    "lyapunov",
    "picture",
    "png",
    "row_parameters",
    "rows",
]


class Png(bytes):
    """The bytes of a PNG file that a notebook shows as its picture.

    It is bytes: write it to a file with open(name, "wb").write(png).
    """

    __slots__ = ()

    def _repr_png_(self) -> bytes:
        return bytes(self)

    def __repr__(self) -> str:
        width, height = int.from_bytes(self[16:20], "big"), int.from_bytes(self[20:24], "big")
        return f"<corvalis.Png: {width}x{height}, {len(self)} bytes>"


class _Progress:
    """Tells how far the rows are: a tqdm bar where tqdm is installed, else a line on stderr."""

    def __init__(self) -> None:
        try:
            from tqdm.auto import tqdm
        except ImportError:
            tqdm = None
        self._tqdm = tqdm
        self._bar = None
        self._shown = 0

    def __call__(self, done: int, to_do: int) -> None:
        if self._tqdm is not None:
            if self._bar is None:
                self._bar = self._tqdm(total=to_do, unit="rows")
            self._bar.update(done - self._bar.n)
            return
        line = f"corvalis: rows {done}/{to_do}  {100 * done // max(to_do, 1)}%"
        sys.stderr.write("\r" + line.ljust(self._shown))
        sys.stderr.flush()
        self._shown = len(line)

    def close(self, finished: bool) -> None:
        if self._bar is not None:
            if finished:
                self._bar.update(self._bar.total - self._bar.n)
            self._bar.close()
        elif self._shown:
            sys.stderr.write("\r" + " " * self._shown + "\r")
            sys.stderr.flush()


@contextlib.contextmanager
def _followed(progress: bool) -> Iterator[Optional[Callable[[int, int], None]]]:
    if not progress:
        yield None
        return
    shown = _Progress()
    finished = False
    try:
        yield shown
        finished = True
    finally:
        shown.close(finished)


def extent(region: Region) -> Tuple[float, float, float, float]:
    """The region's extent (xmin, xmax, amin, amax) for matplotlib's imshow.

    Each axis is ordered, as the computations order it. With imshow's default origin="upper",
    imshow(levels(region, grid), extent=extent(region)) puts the largest parameter at the top
    and numbers the horizontal axis with x, the vertical one with a.

    >>> extent((1, 4, 0, 3))
    (0.0, 1.0, 3.0, 4.0)
    """
    xmin, amin, xmax, amax = _corvalis.region(region)
    return (xmin, xmax, amin, amax)


def levels(
    region: Region,
    grid: Size,
    *,
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    progress: bool = False,
) -> np.ndarray:
    """The density levels of the region on a grid of W columns and H rows.

    Returns a uint8 array of shape (H, W), row 0 the largest parameter: byte for byte the data
    of the PGM that `corvalis-render --region ... --grid WxH --stripes S --levels` writes.

    region: (XMIN, YMIN, XMAX, YMAX), each axis in either order, with an extent.
    grid: (W, H), whole numbers from 1 to 65536.
    stripes: compute the rows as the window does with this many workers (1..1024); None: one
        per processor, as corvalis-render does by default.
    threads: how many threads share the rows out (1..1024); None: one per processor. The
        levels never depend on it.
    progress: show how far the rows are.

    Show it with imshow(levels(region, grid), extent=extent(region)): right side up with the
    default origin="upper".
    """
    with _followed(progress) as shown:
        return _corvalis.levels(region, grid, stripes, threads, shown)


def counts(
    region: Region,
    grid: Size,
    *,
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    progress: bool = False,
) -> np.ndarray:
    """The hits of every cell of the region on a grid of W columns and H rows.

    Returns a uint64 array of shape (H, W), row 0 the largest parameter: how many iterates of
    the row's ten orbits fall into each cell, the counts that levels() makes its levels of, so
    that levels(...) == np.minimum(counts(...) // 50, 255) with the same arguments. Any other
    shading is one NumPy line away, for example np.log1p(counts(region, grid)).

    region, grid, stripes, threads, progress: as for levels().
    """
    with _followed(progress) as shown:
        return _corvalis.counts(region, grid, stripes, threads, shown)


def lyapunov(
    region: Region,
    grid: Size,
    *,
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    sub_samples: bool = False,
    progress: bool = False,
) -> np.ndarray:
    """The Lyapunov exponent of every row of the region on a grid of W columns and H rows.

    Returns a float64 array of shape (H,), row 0 the largest parameter as in levels(): each
    row's exponent, its ten sub-samples' summed in their order and divided by ten: bit for bit
    the lambda column of `corvalis-render --lyapunov` with the same options. With
    sub_samples=True the shape is (H, 10): the sub-samples' own, sub-sample j in column j, at
    the parameters row_parameters(..., sub_samples=True) gives. The columns of the grid do not
    matter to the exponent, but its width sets the iterations (W * 100 / the extent in x), as
    for the levels.

    A sub-sample's exponent is (1/n) ln prod |a (1 - 2 x_k)| over the n iterations its orbit
    made from 0.12345, the derivative taken at each iterate before its step, with no transient
    discarded (near a bifurcation it converges slowly). The product is rounded in order and kept
    as a number in [1, 2) times a power of two, and its logarithm is built from IEEE operations,
    so the bits are the same on every system. An orbit that leaves [-10, 10] (above a = 4) gives
    the exponent of the iterations it made before it left, the one that left included; an
    iterate exactly 0.5 gives -inf, and its row -inf too; an orbit found to repeat bit for bit
    counts its remaining iterations as whole cycles and a part. Negative: the orbit settles on a
    stable cycle; positive: chaos.

    region, grid, stripes, threads, progress: as for levels(); the exponents never depend on
        threads.
    """
    with _followed(progress) as shown:
        return _corvalis.lyapunov(region, grid, stripes, threads, sub_samples, shown)


def row_parameters(
    region: Region,
    grid: Size,
    *,
    stripes: Optional[int] = None,
    sub_samples: bool = False,
) -> np.ndarray:
    """The parameter a of every row of the region on a grid of W columns and H rows.

    Returns a float64 array of shape (H,), row 0 the top as in levels() and lyapunov(): each
    row's own parameter, that of its sub-sample 0, the largest of its ten. With
    sub_samples=True the shape is (H, 10): the parameter of sub-sample j in column j, each
    a tenth of the row's step below the one before. These are the exact doubles the rows are
    computed with; they follow from the stripes as the levels do, so give the same stripes as
    to the computation. Nothing is computed: it costs no more than the array.

    region, grid, stripes: as for levels().
    """
    return _corvalis.row_parameters(region, grid, stripes, sub_samples)


def picture(
    region: Region,
    *,
    grid: Optional[Size] = None,
    fit: Optional[Size] = None,
    scheme: str = "blue",
    reverse: bool = False,
    shade: str = "levels",
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    progress: bool = False,
) -> np.ndarray:
    """The coloured picture of the region, a uint8 RGB array of shape (H, W, 3).

    Its pixels are those of the PNG that `corvalis-render -o` writes with the same options:
    with grid=(W, H) one pixel a cell, with fit=(CW, CH) the picture the window shows in a
    client area of CW x CH pixels (its grid sized as the window sizes it). Give one of them.

    scheme: the colour scale, one of SCHEMES: the window's "blue", "red", "green", "mono", and
        the perceptual colour maps "viridis", "magma", "inferno", "cividis".
    reverse: run the colour scale in reverse order.
    shade: how the hits of a cell pick its colour, one of SHADINGS: "levels" (the window's,
        one level per 50 hits), "log" (by the logarithm of the hits, full at the 12,750 hits
        where the levels saturate) or "equalize" (by the picture's own distribution of hits;
        computes the rows twice).
    stripes, threads, progress: as for levels().

    Row 0 is the largest parameter: imshow(picture(...), extent=extent(region)) is right side
    up with the default origin="upper". png() gives the same picture as a file a notebook shows.
    """
    with _followed(progress) as shown:
        return _corvalis.picture(region, grid, fit, scheme, reverse, shade, stripes, threads, shown)


def png(
    region: Region,
    *,
    grid: Optional[Size] = None,
    fit: Optional[Size] = None,
    scheme: str = "blue",
    reverse: bool = False,
    shade: str = "levels",
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    progress: bool = False,
) -> Png:
    """The PNG file that `corvalis-render -o` writes with the same options, byte for byte.

    It carries corvalis-render's text chunks: the version (Software) and the command that makes
    it again (Command). The options are those of picture(). The result is bytes that a notebook
    shows as the picture; save it with open("diagram.png", "wb").write(png(...)).
    """
    with _followed(progress) as shown:
        return Png(_corvalis.png(region, grid, fit, scheme, reverse, shade, stripes, threads, shown))


def rows(
    region: Region,
    grid: Size,
    *,
    stripes: Optional[int] = None,
    threads: Optional[int] = None,
    shard: Optional[Tuple[int, int]] = None,
    keep: Optional[PathName] = None,
    progress: bool = False,
) -> Iterator[Tuple[int, np.ndarray]]:
    """The levels of the region a row at a time, from the top down.

    Yields (row, levels): row numbered as in levels() (0 the top, the largest parameter) and
    that row's levels, a uint8 array of W values. Each row is computed when it is asked for,
    a few ahead on every thread, so memory does not grow with H: a poster of any height fits.

    shard=(I, N): only shard I of N of the rows, dealt in batches of 4 rows in turn, as
        corvalis-render --shard I/N deals them; needs stripes, so that every shard computes
        alike on any machine.
    keep: a rows file (corvalis-render --rows): every row computed is kept there, and rows the
        file keeps already are read from it instead of computed, so the same call after an
        interruption goes on where it stopped. `corvalis-render --from FILE...` makes the PGM
        and PNG from the files of all shards. A file kept for another computation is refused
        (OSError) and left as it is.
    stripes, threads, progress: as for levels().

    Argument errors are raised at once; the computation starts with the first row asked for.
    Closing the iterator (or leaving it) stops the computation.
    """
    shown = _Progress() if progress else None
    return _each_row(_corvalis.rows(region, grid, stripes, threads, shard, keep, shown), shown)


def _each_row(iterator, shown: Optional[_Progress]) -> Iterator[Tuple[int, np.ndarray]]:
    finished = False
    try:
        yield from iterator
        finished = True
    finally:
        iterator.close()
        if shown is not None:
            shown.close(finished)
