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

OPTIONS = {"response_spectra": True, "no_dumps": True, "periods": [0.1, 1.0]}
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
    with pytest.raises(TypeError):
        wavespec.process_files(paths, out_dir=out, resume=True)


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
