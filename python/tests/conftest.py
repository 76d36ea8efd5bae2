"""The record the tests share, and the tool's own files made from it by the command line."""

import csv
import os
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pytest

ROOT = Path(__file__).resolve().parents[2]
DT = 0.01


def tool() -> str:
    """The command-line tool: $WAVESPEC_TOOL, else the one a build left in the tree."""
    for candidate in (os.environ.get("WAVESPEC_TOOL"), ROOT / "build-python" / "wavespec",
                      ROOT / "build" / "wavespec"):
        if candidate and Path(candidate).is_file():
            return str(candidate)
    pytest.fail("no wavespec tool: build it or set WAVESPEC_TOOL")


def write_record(path: Path, data: np.ndarray, dt: float = DT) -> None:
    """The tool's CSV; repr gives the shortest text that reads back to the same double."""
    with open(path, "w") as f:
        f.write("time,NS,EW,UD\n")
        for i in range(data.shape[1]):
            f.write(",".join(repr(float(v)) for v in (i * dt, *data[:, i])) + "\n")


def read_csv(path: Path):
    """Header and the numeric columns (n rows, k columns) of a file the tool wrote."""
    with open(path) as f:
        rows = list(csv.reader(f))
    return rows[0], rows[1:]


@pytest.fixture(scope="session")
def record(tmp_path_factory):
    """3000 samples (not a power of two): a decaying sine, noise, a cosine with noise."""
    rng = np.random.default_rng(5)
    t = np.arange(3000) * DT
    data = np.vstack([np.sin(2 * np.pi * 1.3 * t) * np.exp(-0.2 * t) + 0.1 * rng.normal(size=t.size),
                      rng.normal(size=t.size),
                      np.cos(2 * np.pi * 0.7 * t) + 0.2 * rng.normal(size=t.size)])
    path = tmp_path_factory.mktemp("record") / "rec.csv"
    write_record(path, data)
    return path, data


@pytest.fixture(scope="session")
def run(record, tmp_path_factory):
    """run(*options) -> the directory of the tool's files for the shared record."""
    made = {}

    def files(*options: str) -> Path:
        if options not in made:
            out = tmp_path_factory.mktemp("run")
            done = subprocess.run([tool(), "process", "-q", "--layout=full", "-C", str(out),
                                   *options, str(record[0])], capture_output=True, text=True)
            assert done.returncode == 0, done.stderr
            made[options] = out
        return made[options]

    return files
