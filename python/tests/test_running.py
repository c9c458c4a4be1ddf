"""How a computation runs in the interpreter: other threads go on, Ctrl+C stops it, and whatever
a caller passes is refused with the command line's words instead of crashing."""

import faulthandler
import math
import os
import signal
import threading
import time

import pytest

import corvalis

DEFAULT = (0, 3, 1, 4)
# Minutes of work on two threads: only a working cancel ends it before the hang guard.
DEEP_ZOOM = (0.5, 3.9, 0.5001, 3.9002)


@pytest.mark.parametrize(
    "compute",
    [
        lambda: corvalis.levels(DEEP_ZOOM, (400, 300), threads=2),
        lambda: list(corvalis.rows(DEEP_ZOOM, (400, 300), threads=2)),
        lambda: corvalis.lyapunov(DEEP_ZOOM, (400, 300), threads=2),
    ],
    ids=["levels", "rows", "lyapunov"],
)
def test_ctrl_c_stops_a_deep_zoom_with_keyboard_interrupt(compute):
    faulthandler.dump_traceback_later(60, exit=True)
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            compute()
    finally:
        timer.cancel()
        faulthandler.cancel_dump_traceback_later()
    assert corvalis.levels(DEFAULT, (8, 8)).any()


def test_other_threads_run_while_it_computes():
    stamps, stop = [], threading.Event()

    def stamp():
        while not stop.is_set():
            stamps.append(time.monotonic())
            time.sleep(0.001)

    other = threading.Thread(target=stamp)
    other.start()
    try:
        start = time.monotonic()
        corvalis.levels((0.4, 3.8, 0.6, 3.9), (400, 400), threads=1)
        end = time.monotonic()
    finally:
        stop.set()
        other.join()
    # Holding the interpreter lock throughout, it would leave the other thread no moment within.
    quarter = (end - start) / 4
    assert any(start + quarter < moment < end - quarter for moment in stamps)


@pytest.mark.parametrize(
    "python, command_line",
    [
        ((0, 3, 0, 4), ("0", "3", "0", "4")),
        ((0, 3, 1, 3), ("0", "3", "1", "3")),
        ((0, 3, 1e-320, 4), ("0", "3", "1e-320", "4")),
        ((-1e308, 3, 1e308, 4), ("-1e308", "3", "1e308", "4")),
    ],
)
def test_a_region_is_refused_in_the_command_lines_words(render, python, command_line):
    said = render.message("--region", *command_line, "--grid", "10x10", "--levels", "x.pgm")
    with pytest.raises(ValueError) as refused:
        corvalis.levels(python, (10, 10))
    assert said.startswith("--region: ")
    assert str(refused.value) == "region: " + said[len("--region: "):]


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: corvalis.levels((math.nan, 3, 1, 4), (8, 8)), ValueError, "region: nan is not a finite number"),
        (lambda: corvalis.levels((0, 3, math.inf, 4), (8, 8)), ValueError, "region: inf is not a finite number"),
        (lambda: corvalis.levels((0, 3, 1), (8, 8)), ValueError, "region needs four numbers: (XMIN, YMIN, XMAX, YMAX)"),
        (lambda: corvalis.levels("0 3 1 4", (8, 8)), TypeError, "region needs four numbers: (XMIN, YMIN, XMAX, YMAX)"),
        (lambda: corvalis.levels((0, "3", 1, 4), (8, 8)), TypeError, "region: '3' is not a number"),
        (lambda: corvalis.levels(DEFAULT, (65537, 8)), ValueError,
         "grid: (65537, 8) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.levels(DEFAULT, (0, 8)), ValueError,
         "grid: (0, 8) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.levels(DEFAULT, (8, -1)), ValueError,
         "grid: (8, -1) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.levels(DEFAULT, (2**70, 8)), ValueError,
         f"grid: ({2**70}, 8) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.levels(DEFAULT, (8.5, 8)), TypeError,
         "grid: (8.5, 8) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.levels(DEFAULT, (8, 8, 8)), ValueError, "grid needs a size (W, H)"),
        (lambda: corvalis.levels(DEFAULT, None), TypeError, "grid needs a size (W, H)"),
        (lambda: corvalis.levels(DEFAULT, (8, 8), threads=0), ValueError,
         "threads: 0 is not a whole number from 1 to 1024"),
        (lambda: corvalis.levels(DEFAULT, (8, 8), stripes=1025), ValueError,
         "stripes: 1025 is not a whole number from 1 to 1024"),
        (lambda: corvalis.lyapunov(DEFAULT, (8, 0)), ValueError,
         "grid: (8, 0) is not a size (W, H) with whole numbers from 1 to 65536"),
        (lambda: corvalis.lyapunov(DEFAULT, (8, 8), threads=1025), ValueError,
         "threads: 1025 is not a whole number from 1 to 1024"),
        (lambda: corvalis.lyapunov((0, 3, 1, 3), (8, 8), sub_samples=True), ValueError,
         "region: YMIN and YMAX are equal, so the region has no height"),
        (lambda: corvalis.row_parameters(DEFAULT, (8, 8), stripes="2"), TypeError,
         "stripes: '2' is not a whole number from 1 to 1024"),
        (lambda: corvalis.picture(DEFAULT), ValueError, "no grid size: give grid=(W, H) or fit=(CW, CH)"),
        (lambda: corvalis.png(DEFAULT, grid=(8, 8), fit=(100, 100)), ValueError, "give either grid or fit, not both"),
        (lambda: corvalis.picture(DEFAULT, fit=(40, 100)), ValueError,
         "fit: (40, 100) is not a client area (CW, CH) with whole numbers from 41 to 65536"),
        (lambda: corvalis.picture((0, 3, 1e-9, 4), fit=(100, 100)), ValueError,
         "fit: the region gives a 0x60 grid there, which has no cells or is too large"),
        (lambda: corvalis.png(DEFAULT, grid=(8, 8), scheme="purple"), ValueError,
         "scheme: 'purple' is not one of blue, red, green, mono, viridis, magma, inferno, cividis"),
        (lambda: corvalis.picture(DEFAULT, grid=(8, 8), shade=1), TypeError,
         "shade: 1 is not one of levels, log, equalize"),
        (lambda: corvalis.rows(DEFAULT, (8, 8), shard=(0, 2)), ValueError,
         "shard needs stripes: every shard must compute alike, on any machine"),
        (lambda: corvalis.rows(DEFAULT, (8, 8), stripes=1, shard=(2, 2)), ValueError,
         "shard: (2, 2) is not a shard (I, N) with 0 <= I < N <= 65536"),
        (lambda: corvalis.rows(DEFAULT, (8, 8), keep=""), ValueError, "keep needs a file name"),
        (lambda: corvalis.extent((1, 2, 3, 4, 5)), ValueError, "region needs four numbers: (XMIN, YMIN, XMAX, YMAX)"),
    ],
)
def test_bad_arguments_raise_with_the_command_lines_words(call, error, message):
    with pytest.raises(error) as refused:
        call()
    assert str(refused.value) == message


def test_extent_orders_each_axis_for_imshow():
    assert corvalis.extent((1, 4, 0, 3)) == (0.0, 1.0, 3.0, 4.0)
