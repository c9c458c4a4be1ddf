"""How fast the Python module computes the levels, in one run on the same work:

  (a) corvalis.levels() against corvalis-render --levels, on one thread and on every processor:
      the module timed inside this interpreter (the call alone, in a process that has made it
      before) and as a fresh interpreter process that imports it, computes and writes the same
      PGM (the whole process, as the renderer's; that process also times its own call);
  (b) the NumPy program of bench/numpy_peer.py against corvalis.levels(..., threads=1).

Processes are timed by the wall clock from start to exit, with the processor time they used
(user and system, all threads); calls by the wall clock and the interpreter's processor time.
The rounds of (a) are interleaved (each round runs every measurement once, in turn) after one
round that is not counted; the tables give the best and the median of the rounds, the ratios
those of the best. Start-up alone, a corvalis-render of a 1x1 grid and an interpreter that only
imports corvalis, is measured in every round too: the 'net' ratios take it off. The NumPy
program runs up to --peer-repeat times, each run next to a levels() call, but only once where a
run takes more than 10 s. Nothing about the times is asserted; the levels are compared
(renderer, module in and out of process, NumPy program) and the run fails if any differ.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py
"""

from __future__ import annotations

import argparse
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Callable, Dict, List, Sequence, Tuple

import numpy as np

import corvalis

sys.dont_write_bytecode = True  # no __pycache__ in the source folder
sys.path.insert(0, str(Path(__file__).resolve().parent))
import numpy_peer  # noqa: E402

CASES = {
    "default": ((0.0, 3.0, 1.0, 4.0), (400, 400)),
    "chaotic": ((0.0, 3.99, 1.0, 4.0), (660, 400)),
    "deep": ((0.5, 3.9, 0.5001, 3.9002), (10, 16)),
}
# A NumPy run longer than this is not repeated.
PEER_REPEAT_LIMIT = 10.0

# The module as a whole process: import, compute, write the PGM that --levels writes. It prints
# the wall clock and processor seconds of its levels() call, the first of the process.
FRESH_PROCESS = """
import sys, time
import corvalis
region, grid = tuple(map(float, sys.argv[1:5])), (int(sys.argv[5]), int(sys.argv[6]))
cpu, start = time.process_time(), time.perf_counter()
levels = corvalis.levels(region, grid, stripes=int(sys.argv[7]), threads=int(sys.argv[8]))
print(time.perf_counter() - start, time.process_time() - cpu)
with open(sys.argv[9], "wb") as out:
    out.write(b"P5\\n%d %d\\n255\\n" % grid)
    out.write(levels.tobytes())
"""

Timing = Tuple[float, float]  # wall clock seconds, processor seconds


def render_path() -> Path:
    built = Path(__file__).resolve().parents[1] / "build/bin/corvalis-render"
    return Path(os.environ.get("CORVALIS_RENDER", built))


def pgm_levels(data: bytes) -> np.ndarray:
    magic, width, height, maximum, pixels = data.split(maxsplit=4)
    assert (magic, maximum) == (b"P5", b"255"), "not a PGM of levels"
    return np.frombuffer(pixels, np.uint8).reshape(int(height), int(width))


def children_cpu() -> float:
    used = resource.getrusage(resource.RUSAGE_CHILDREN)
    return used.ru_utime + used.ru_stime


def timed_process(command: Sequence[str], environment: Dict[str, str]) -> Tuple[Timing, str]:
    """The process's timing and what it printed."""
    cpu = children_cpu()
    start = time.perf_counter()
    done = subprocess.run(command, env=environment, capture_output=True, text=True)
    elapsed = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"python_bench: {command[0]} failed: {done.stderr.strip()}")
    return (elapsed, children_cpu() - cpu), done.stdout


def timed_call(compute: Callable[[], np.ndarray]) -> Tuple[Timing, np.ndarray]:
    cpu = time.process_time()
    start = time.perf_counter()
    result = compute()
    elapsed = time.perf_counter() - start
    return (elapsed, time.process_time() - cpu), result


class Times:
    """Timings of several runs of one measurement."""

    def __init__(self) -> None:
        self.runs: List[Timing] = []

    def best(self) -> float:
        return min(wall for wall, _ in self.runs)

    def median(self) -> float:
        return statistics.median(wall for wall, _ in self.runs)

    def best_cpu(self) -> float:
        return min(cpu for _, cpu in self.runs)


class Case:
    """The measurements of one region and grid, and the levels each of them gave."""

    def __init__(self, name: str, region, grid, stripes: int, threads: List[int], folder: Path,
                 render: Path, environment: Dict[str, str]):
        self.name, self.region, self.grid, self.stripes = name, region, grid, stripes
        self.threads = threads
        self.times: Dict[Tuple[str, int], Times] = {}
        self.levels: Dict[str, np.ndarray] = {}
        self.measurements: List[Callable[[], None]] = []
        words = [repr(value) for value in region]
        for count in threads:
            pgm = folder / f"{name}-render-{count}.pgm"
            fresh_pgm = folder / f"{name}-module-{count}.pgm"
            render_command = [str(render), "--quiet", "--region", *words, "--grid", f"{grid[0]}x{grid[1]}",
                              "--stripes", str(stripes), "--threads", str(count), "--levels", str(pgm)]
            fresh_command = [sys.executable, "-c", FRESH_PROCESS, *words, str(grid[0]), str(grid[1]),
                             str(stripes), str(count), str(fresh_pgm)]
            self.measurements += [
                self._process(render_command, environment, "render", count, pgm),
                self._in_process(count),
                self._process(fresh_command, environment, "process", count, fresh_pgm),
            ]

    @property
    def size(self) -> str:
        return f"{self.grid[0]}x{self.grid[1]}"

    def _process(self, command, environment, kind: str, count: int, pgm: Path) -> Callable[[], None]:
        def measure():
            timing, printed = timed_process(command, environment)
            self.record(kind, count, timing)
            if kind == "process":
                wall, cpu = printed.split()
                self.record("first call", count, (float(wall), float(cpu)))
            self.levels[f"{kind} {count}"] = pgm_levels(pgm.read_bytes())
        return measure

    def _in_process(self, count: int) -> Callable[[], None]:
        def measure():
            timing, levels = timed_call(
                lambda: corvalis.levels(self.region, self.grid, stripes=self.stripes, threads=count))
            self.record("call", count, timing)
            self.levels[f"call {count}"] = levels
        return measure

    def record(self, kind: str, count: int, timing: Timing) -> None:
        self.times.setdefault((kind, count), Times()).runs.append(timing)

    def __getitem__(self, key: Tuple[str, int]) -> Times:
        return self.times[key]

    def differing(self) -> Dict[str, int]:
        """Cells in which each result differs from the renderer's on one thread."""
        reference = self.levels[f"render {self.threads[0]}"]
        return {name: int(np.count_nonzero(levels != reference)) for name, levels in self.levels.items()}


def ms(seconds: float) -> str:
    return f"{seconds * 1000:.1f}"


def print_table(header: Sequence[str], rows: List[Sequence[str]]) -> None:
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *rows)]
    line = lambda cells: "  ".join(str(cell).rjust(width) for cell, width in zip(cells, widths))  # noqa: E731
    print(line(header))
    print("  ".join("-" * width for width in widths))
    for row in rows:
        print(line(row))


def main(arguments: Sequence[str]) -> int:
    parser = argparse.ArgumentParser(description="corvalis.levels() against corvalis-render and NumPy.")
    parser.add_argument("--repeat", type=int, default=7, help="counted rounds of (a) (default 7)")
    parser.add_argument("--stripes", type=int, default=1, help="stripes of every computation (default 1)")
    parser.add_argument("--cases", nargs="+", choices=list(CASES), default=list(CASES))
    parser.add_argument("--peer", choices=["all", "quick", "none"], default="all",
                        help="run the NumPy program on every case, on all but the deep zoom (which "
                             "takes it half a minute), or on none (default all)")
    parser.add_argument("--peer-repeat", type=int, default=3, help="NumPy runs per case at most (default 3)")
    options = parser.parse_args(arguments)

    render = render_path()
    if not render.is_file():
        sys.exit(f"python_bench: no corvalis-render at {render}: build it, or set CORVALIS_RENDER")
    processors = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") else os.cpu_count() or 1
    threads = [1] if processors == 1 else [1, processors]
    environment = dict(os.environ)
    package_parent = str(Path(corvalis.__file__).resolve().parents[1])
    environment["PYTHONPATH"] = os.pathsep.join(filter(None, [package_parent, environment.get("PYTHONPATH")]))

    print(f"corvalis {corvalis.__version__} from {package_parent}; corvalis-render {render}")
    print(f"{sys.executable} {sys.version.split()[0]}, NumPy {np.__version__}, {processors} processors, "
          f"load average before {' '.join(f'{v:.2f}' for v in os.getloadavg())}")
    print(f"stripes {options.stripes}; (a) {options.repeat} counted rounds\n")

    with tempfile.TemporaryDirectory(prefix="corvalis-bench-") as scratch:
        folder = Path(scratch)
        cases = [Case(name, *CASES[name], options.stripes, threads, folder, render, environment)
                 for name in options.cases]
        startup_commands = {
            "corvalis-render, 1x1 grid": [str(render), "--quiet", "--region", "0", "3", "1", "4", "--grid", "1x1",
                                          "--stripes", "1", "--threads", "1", "--levels", str(folder / "1x1.pgm")],
            "python3 -c 'import corvalis'": [sys.executable, "-c", "import corvalis"],
        }
        startups = {name: Times() for name in startup_commands}

        for round_number in range(options.repeat + 1):
            for name, command in startup_commands.items():
                timing, _ = timed_process(command, environment)
                if round_number > 0:
                    startups[name].runs.append(timing)
            for case in cases:
                for measure in case.measurements:
                    measure()
                if round_number == 0:
                    case.times.clear()

        peer_runs: Dict[str, Tuple[Times, Times]] = {}
        for case in cases:
            if options.peer == "none" or (options.peer == "quick" and case.name == "deep"):
                continue
            peer, call = peer_runs[case.name] = (Times(), Times())
            while len(peer.runs) < options.peer_repeat:
                timing, _ = timed_call(lambda: corvalis.levels(case.region, case.grid, stripes=case.stripes,
                                                               threads=1))
                call.runs.append(timing)
                timing, case.levels["numpy"] = timed_call(
                    lambda: numpy_peer.levels(case.region, case.grid, case.stripes))
                peer.runs.append(timing)
                if timing[0] > PEER_REPEAT_LIMIT:
                    break
    print(f"load average after {' '.join(f'{v:.2f}' for v in os.getloadavg())}\n")

    kinds = ("render", "call", "process", "first call")
    print("(a) milliseconds, wall clock: best / median of the rounds")
    rows = [[case.name, case.size, count] + [f"{ms(case[kind, count].best())} / {ms(case[kind, count].median())}"
                                             for kind in kinds]
            for case in cases for count in threads]
    print_table(["case", "grid", "threads", "render process", "levels() call", "levels() process",
                 "its levels() call"], rows)
    for name, times in startups.items():
        print(f"start-up alone, {name}: {ms(times.best())} / {ms(times.median())}")
    print()
    print("(a) milliseconds, processor time (user and system, all threads): best of the rounds")
    rows = [[case.name, case.size, count] + [ms(case[kind, count].best_cpu()) for kind in kinds]
            for case in cases for count in threads]
    print_table(["case", "grid", "threads", "render process", "levels() call", "levels() process",
                 "its levels() call"], rows)
    for name, times in startups.items():
        print(f"start-up alone, {name}: {ms(times.best_cpu())}")
    print()

    render_startup, python_startup = (times.best() for times in startups.values())
    render_startup_cpu = next(iter(startups.values())).best_cpu()
    print("(a) ratios of the best times: call, the levels() call; render, the renderer's process; net, less")
    print("    the start-up alone of the process; 1st call, the levels() call of a fresh interpreter, timed")
    print("    inside it; cpu, of the processor times; process, the fresh interpreter's process")
    rows = []
    for case in cases:
        for count in threads:
            render, call, process, first = (case[kind, count].best() for kind in kinds)
            net_render = render - render_startup
            net_render_cpu = case["render", count].best_cpu() - render_startup_cpu
            rows.append([case.name, case.size, count, f"{call / render:.3f}", f"{call / net_render:.3f}",
                         f"{first / net_render:.3f}", f"{case['call', count].best_cpu() / net_render_cpu:.3f}",
                         f"{process / render:.3f}", f"{(process - python_startup) / net_render:.3f}"])
    print_table(["case", "grid", "threads", "call/render", "call/net render", "1st call/net render",
                 "cpu call/net render", "process/render", "net process/net render"], rows)
    print()

    if peer_runs:
        print("(b) the NumPy program (bench/numpy_peer.py, one thread) and corvalis.levels(threads=1): "
              "seconds, wall clock best of the runs")
        rows = []
        for case in cases:
            if case.name in peer_runs:
                peer, call = peer_runs[case.name]
                rows.append([case.name, case.size, f"{peer.best():.3f}", len(peer.runs), f"{call.best():.4f}",
                             f"{peer.best() / call.best():.0f}"])
        print_table(["case", "grid", "NumPy", "runs", "levels()", "NumPy / levels()"], rows)
        print()

    print("levels, compared with corvalis-render's on one thread")
    failed = False
    for case in cases:
        differing = case.differing()
        unequal = {name: cells for name, cells in differing.items() if cells}
        failed |= bool(unequal)
        verdict = ("all equal" if not unequal
                   else "DIFFER: " + ", ".join(f"{n} in {c} cells" for n, c in unequal.items()))
        print(f"{case.name:8} {case.size:>8}  {verdict} ({', '.join(sorted(differing))})")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
