# The extension under the package corvalis; its functions are documented there.
from typing import Callable, Iterator, Optional, Sequence, Tuple

import numpy as np

__version__: str
SCHEMES: Tuple[str, ...]
SHADINGS: Tuple[str, ...]
MAX_GRID_SIDE: int

Progress = Optional[Callable[[int, int], None]]

def region(region: Sequence[float]) -> Tuple[float, float, float, float]: ...
def levels(
    region: Sequence[float], grid: object, stripes: object, threads: object, progress: Progress
) -> np.ndarray: ...
def counts(
    region: Sequence[float], grid: object, stripes: object, threads: object, progress: Progress
) -> np.ndarray: ...
def lyapunov(
    region: Sequence[float],
    grid: object,
    stripes: object,
    threads: object,
    sub_samples: object,
    progress: Progress,
) -> np.ndarray: ...
def row_parameters(region: Sequence[float], grid: object, stripes: object, sub_samples: object) -> np.ndarray: ...
def picture(
    region: Sequence[float],
    grid: object,
    fit: object,
    scheme: object,
    reverse: object,
    shade: object,
    stripes: object,
    threads: object,
    progress: Progress,
) -> np.ndarray: ...
def png(
    region: Sequence[float],
    grid: object,
    fit: object,
    scheme: object,
    reverse: object,
    shade: object,
    stripes: object,
    threads: object,
    progress: Progress,
) -> bytes: ...
def rows(
    region: Sequence[float],
    grid: object,
    stripes: object,
    threads: object,
    shard: object,
    keep: object,
    progress: Progress,
) -> RowIterator: ...

class RowIterator(Iterator[Tuple[int, np.ndarray]]):
    def __iter__(self) -> RowIterator: ...
    def __next__(self) -> Tuple[int, np.ndarray]: ...
    def close(self) -> None: ...
