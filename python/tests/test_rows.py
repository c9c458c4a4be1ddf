"""rows(): the levels a row at a time, in shards, kept in rows files that corvalis-render reads
(with the rows' Lyapunov exponents)."""

import numpy as np
import pytest

import corvalis
from conftest import lyapunov_table, pgm_levels

REGION = (0.4, 3.8, 0.6, 3.9)
GRID = (37, 23)  # a last batch of rows that is not whole


def test_rows_from_the_top_are_the_levels():
    whole = corvalis.levels(REGION, GRID, stripes=3, threads=1)

    rows = list(corvalis.rows(REGION, GRID, stripes=3, threads=2))

    assert [row for row, _ in rows] == list(range(GRID[1]))
    assert all(levels.dtype == np.uint8 and levels.shape == (GRID[0],) for _, levels in rows)
    assert np.array_equal(np.stack([levels for _, levels in rows]), whole)


def test_shards_kept_in_rows_files_make_the_pgm_of_the_whole(render, tmp_path):
    whole = corvalis.levels(REGION, GRID, stripes=2)
    files, given = [], []
    for shard in range(3):
        files.append(tmp_path / f"shard{shard}.rows")
        kept = list(corvalis.rows(REGION, GRID, stripes=2, shard=(shard, 3), keep=files[-1]))
        alone = list(corvalis.rows(REGION, GRID, stripes=2, threads=1, shard=(shard, 3)))
        assert [row for row, _ in alone] == [row for row, _ in kept]
        for row, levels in kept:
            assert np.array_equal(levels, whole[row])
            given.append(row)

    assert sorted(given) == list(range(GRID[1]))
    assert pgm_levels(render.file("--from", *files, output="--levels")).tobytes() == whole.tobytes()
    # The files keep the rows' Lyapunov exponents too.
    done = render.run("--from", *files, "--lyapunov", "l.csv")
    assert done.returncode == 0, done.stderr
    table = lyapunov_table((render.folder / "l.csv").read_text())
    assert table[:, 1].tobytes() == corvalis.row_parameters(REGION, GRID, stripes=2).tobytes()
    assert table[:, 2].tobytes() == corvalis.lyapunov(REGION, GRID, stripes=2).tobytes()


def test_a_rows_file_goes_on_where_it_stopped_and_refuses_another_computation(render, tmp_path):
    whole = corvalis.levels(REGION, GRID, stripes=2)
    kept = tmp_path / "whole.rows"
    rows = corvalis.rows(REGION, GRID, stripes=2, keep=str(kept))
    for _ in range(5):
        next(rows)
    rows.close()

    again = list(corvalis.rows(REGION, GRID, stripes=2, keep=kept))

    assert np.array_equal(np.stack([levels for _, levels in again]), whole)
    # Every row once: --from refuses a file that holds a row twice.
    assert pgm_levels(render.file("--from", kept, output="--levels")).tobytes() == whole.tobytes()
    before = kept.read_bytes()
    with pytest.raises(OSError, match=r"^keep '.*whole\.rows': "):
        corvalis.rows(REGION, GRID, stripes=3, keep=kept)
    assert kept.read_bytes() == before
