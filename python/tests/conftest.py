"""What the tests of the module share: corvalis-render run on the same options, and its files
read back (the PGM's data, the PNG's pixels and text chunks, decoded with zlib alone, the
numbers of the Lyapunov table)."""

import os
import struct
import subprocess
import zlib
from pathlib import Path

import numpy as np
import pytest

# Set by ctest; by hand, the release build's.
RENDER = Path(os.environ.get("CORVALIS_RENDER", Path(__file__).resolve().parents[2] / "build/bin/corvalis-render"))


def words(numbers):
    return [repr(float(number)) for number in numbers]


class Render:
    """Runs corvalis-render in a scratch folder."""

    def __init__(self, folder: Path):
        self.folder = folder

    def run(self, *arguments) -> subprocess.CompletedProcess:
        return subprocess.run(
            [str(RENDER), "--quiet", *[str(a) for a in arguments]],
            cwd=self.folder, capture_output=True, text=True, timeout=600,
        )

    def file(self, *arguments, output: str) -> bytes:
        """Runs it with the output option `output` (-o or --levels) and gives the file's bytes."""
        name = self.folder / ("out.png" if output == "-o" else "out.pgm")
        done = self.run(*arguments, output, name)
        assert done.returncode == 0, done.stderr
        return name.read_bytes()

    def message(self, *arguments) -> str:
        """Runs it on arguments it refuses and gives its message without the program's name."""
        done = self.run(*arguments)
        assert done.returncode == 2
        prefix = "corvalis-render: "
        assert done.stderr.startswith(prefix)
        return done.stderr[len(prefix):].strip()


@pytest.fixture
def render(tmp_path):
    assert RENDER.is_file(), f"no corvalis-render at {RENDER}: build it, or set CORVALIS_RENDER"
    return Render(tmp_path)


def pgm_levels(data: bytes) -> np.ndarray:
    """The levels of a binary PGM with a 255 maximum, row 0 its top row."""
    magic, width, height, maximum, pixels = data.split(maxsplit=4)
    assert (magic, maximum) == (b"P5", b"255")
    return np.frombuffer(pixels, np.uint8).reshape(int(height), int(width))


def png_contents(data: bytes):
    """The pixels (H, W, 3) and the text chunks of an 8-bit RGB PNG that is not interlaced."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    position, compressed, texts = 8, b"", {}
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        assert zlib.crc32(kind + body) == struct.unpack(">I", data[position + 8 + length:position + 12 + length])[0]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 2, 0)
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"tEXt":
            keyword, text = body.split(b"\0", 1)
            texts[keyword.decode("latin-1")] = text.decode("latin-1")
        position += 12 + length
    scanlines = np.frombuffer(zlib.decompress(compressed), np.uint8).reshape(height, 1 + 3 * width)
    assert not scanlines[:, 0].any(), "a scanline with a filter: decode it before comparing"
    return scanlines[:, 1:].reshape(height, width, 3), texts


def lyapunov_table(text: str) -> np.ndarray:
    """The numbers of a --lyapunov table, a line a row: row, a, lambda, lambda_min, lambda_max."""
    header, *lines = text.splitlines()
    assert header == "row,a,lambda,lambda_min,lambda_max"
    return np.array([[float(number) for number in line.split(",")] for line in lines]).reshape(-1, 5)
