"""process_files over an executor writes what the command line writes, and read_flatfile
reads back the table that `wavespec flatfile` makes of it."""

import concurrent.futures
import csv
import subprocess
from pathlib import Path

import numpy as np
import pytest

import wavespec
from conftest import tool, write_record

OPTIONS = {"response_spectra": True, "dumps": False, "periods": [0.1, 1.0]}
CLI_OPTIONS = ["--response-spectra", "--no-dumps", "--periods=0.1,1"]


def make_archive(directory: Path, count: int) -> list:
    t = np.arange(300) * 0.01
    paths = []
    for i in range(count):
        path = directory / f"rec{i:03d}.csv"
        write_record(path, np.vstack([np.sin((1 + 0.05 * i) * k * t) + 0.01 * k for k in (1, 2, 3)]))
        paths.append(path)
    broken = directory / "broken.csv"
    broken.write_text("time,a,b,c\nnot a number\n")
    return paths + [broken]


def flatfile(directory: Path, out: Path) -> bytes:
    subprocess.run([tool(), "flatfile", str(directory), "-o", str(out)], check=True)
    return out.read_bytes()


def command_line_run(directory: Path, paths: list) -> Path:
    listed = directory / "list"
    listed.write_text("".join(f"{p}\n" for p in paths))
    out = directory / "cli"
    status = subprocess.run([tool(), "process", "-q", "-C", str(out), f"--records-from={listed}",
                             *CLI_OPTIONS], capture_output=True).returncode
    assert status == 1  # the broken record
    return out


def check_outcomes(outcomes: list, paths: list, out: Path) -> None:
    assert [o.stem for o in outcomes] == [p.stem for p in paths]
    assert [o.ok for o in outcomes] == [True] * (len(paths) - 1) + [False]
    assert all(Path(o.directory) == out / o.stem for o in outcomes[:-1])
    assert outcomes[-1].directory == ""
    assert outcomes[-1].line.startswith(f"{paths[-1]}:2:1: unreadable value")


def test_dask_cluster_writes_the_command_lines_files(tmp_path):
    distributed = pytest.importorskip("distributed")  # installed by the python stage
    paths = make_archive(tmp_path, 50)
    cli = command_line_run(tmp_path, paths)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster:
        with distributed.Client(cluster) as client:
            outcomes = wavespec.process_files(paths, out_dir=tmp_path / "dask",
                                              executor=client.get_executor(), **OPTIONS)
    check_outcomes(outcomes, paths, tmp_path / "dask")
    for record in cli.iterdir():
        for file in record.iterdir():
            assert (tmp_path / "dask" / record.name / file.name).read_bytes() == file.read_bytes()
    assert flatfile(tmp_path / "dask", tmp_path / "a.csv") == flatfile(cli, tmp_path / "b.csv")


@pytest.mark.parametrize("executor", [None, "processes"])
def test_process_files_in_the_process_and_in_a_pool(tmp_path, executor):
    paths = make_archive(tmp_path, 4)
    out = tmp_path / "out"
    if executor is None:
        outcomes = wavespec.process_files(paths, out_dir=out, **OPTIONS)
    else:
        with concurrent.futures.ProcessPoolExecutor(2) as pool:
            outcomes = wavespec.process_files(paths, out_dir=out, executor=pool, **OPTIONS)
    check_outcomes(outcomes, paths, out)
    assert flatfile(out, tmp_path / "a.csv") == flatfile(command_line_run(tmp_path, paths),
                                                        tmp_path / "b.csv")


def test_read_flatfile_gives_the_records_own_numbers(tmp_path):
    paths = make_archive(tmp_path, 3)[:3]
    out = tmp_path / "out"
    wavespec.process_files(paths, out_dir=out, **OPTIONS)
    flatfile(out, tmp_path / "flat.csv")
    table = wavespec.read_flatfile(tmp_path / "flat.csv")
    assert list(table["component"][:8]) == ["H1", "H2", "V", "RotD00", "RotD50", "RotD100",
                                            "GMRotD50", "GMRotI50"]
    for r, path in enumerate(paths):
        with open(out / path.stem / "measures.csv") as f:
            measures = list(csv.reader(f))[1:]
        with open(out / path.stem / "response.csv") as f:
            psa = {(row[0], row[1], row[2]): float(row[7]) for row in list(csv.reader(f))[1:]}
        rows = slice(8 * r, 8 * r + 8)
        assert set(table["stem"][rows]) == {path.stem}
        np.testing.assert_array_equal(table["PGA"][rows][:3], [float(m[1]) for m in measures])
        np.testing.assert_array_equal(table["CAV"][rows][:3], [float(m[7]) for m in measures])
        assert np.isnan(table["PGA"][rows][3:]).all()
        assert table["SA(1)"][8 * r + 4] == psa[("0.05", "1", "RotD50")]
        assert table["SA(0.1)"][8 * r] == psa[("0.05", "0.1", "NS")]
        assert np.isnan(table["highpass"][rows]).all()
    frame = wavespec.read_flatfile(tmp_path / "flat.csv", as_pandas=True)
    assert frame.shape == (24, len(table))
    np.testing.assert_array_equal(frame["SA(1)"].to_numpy(), table["SA(1)"])


# Typed keywords and the command line's options that say the same, one group of each.
SAME_JOB = [
    ({"layout": "full", "bandpass": (0.1, 0.2, 20, 25), "integrate": 2, "window": (0.5, 2)},
     ["--layout=full", "--bandpass=0.1,0.2,20,25", "--double-integrate", "--window=0.5,2"]),
    ({"invert": [2], "skip": 1, "dumps": False, "output": "v.csv", "integrate": 1},
     ["--invert=2", "--skip=1", "--no-dumps", "--output=v.csv", "--integrate"]),
    ({"detrend": "linear", "taper": 0.05, "pad": "auto", "highpass": (0.2, 2), "lowpass": 20,
      "filter": "causal", "baseline": "polynomial", "dumps": False},
     ["--detrend=linear", "--taper=0.05", "--pad=auto", "--highpass=0.2,2", "--lowpass=20",
      "--filter=causal", "--baseline=polynomial", "--no-dumps"]),
    ({"response_spectra": True, "periods": [0.05, 0.5], "damping": [0.02, 0.05],
      "oscillator": "piecewise-linear", "dumps": False},
     ["--response-spectra", "--periods=0.05,0.5", "--damping=0.02,0.05",
      "--oscillator=piecewise-linear", "--no-dumps"]),
    ({"smooth": ("parzen", 0.3), "frequencies": (1, 20, 30), "hv": "quadratic",
      "hv_windows": 1, "hv_taper": 0.2, "hv_range": (1, 20), "dumps": False},
     ["--smooth=parzen:0.3", "--frequencies=1:20:30", "--hv=quadratic", "--hv-windows=1",
      "--hv-taper=0.2", "--hv-range=1,20", "--no-dumps"]),
    ({"smooth": "konno-ohmachi", "smooth_points": 20, "plot": True, "dumps": False},
     ["--smooth=konno-ohmachi", "--smooth-points=20", "--plot", "--no-dumps"]),
]


@pytest.mark.parametrize("keywords, arguments", SAME_JOB)
def test_typed_keywords_write_the_command_lines_files(tmp_path, keywords, arguments):
    path = make_archive(tmp_path, 1)[0]
    [outcome] = wavespec.process_files([path], out_dir=tmp_path / "py", **keywords)
    assert outcome.ok, outcome.line
    cli = tmp_path / "cli"
    subprocess.run([tool(), "process", "-q", "-j1", "-C", str(cli / path.stem), *arguments,
                    str(path)], check=True)
    made = sorted(f.name for f in (cli / path.stem).iterdir())
    assert made == sorted(f.name for f in Path(outcome.directory).iterdir())
    for name in made:
        if name != "run.json":  # it names the tool's own arguments
            assert (Path(outcome.directory) / name).read_bytes() == \
                (cli / path.stem / name).read_bytes(), name


@pytest.mark.parametrize("keywords, error, message", [
    ({"layout": "wide"}, ValueError, "--layout"),
    ({"output": "amp3.csv"}, ValueError, "--output"),
    ({"jobs": -3}, ValueError, "'-3' for --jobs"),
    ({"jobs": 5000}, ValueError, "'5000' for --jobs"),
    ({"channels": [1, 1, 2]}, ValueError, "--channels"),
    ({"format": "seg2"}, ValueError, "unknown format"),
    ({"periods": [1.0]}, ValueError, "--periods goes with --response-spectra"),
    ({"smooth": ("parzen", -1)}, ValueError, "--smooth"),
    ({"smooth_points": 0, "smooth": "parzen"}, ValueError, "--smooth-points"),
    ({"hv_azimuths": 7.0, "hv_windows": 5}, ValueError, "--hv-azimuths"),
    ({"water_level": 20}, ValueError, "goes with --inventory"),
    ({"no_dumps": True}, TypeError, "no_dumps"),
    ({"resume": True}, TypeError, "resume"),
])
def test_a_job_that_cannot_run_is_refused_before_any_record(tmp_path, keywords, error, message):
    path = make_archive(tmp_path, 1)[0]
    with pytest.raises(error, match=message):
        wavespec.process_files([path], out_dir=tmp_path / "out", **keywords)
    assert not (tmp_path / "out").exists()
