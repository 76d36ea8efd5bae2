"""Every function against the tool's own files on the same record: the same doubles."""

import numpy as np
import pytest

import wavespec
from conftest import DT, read_csv

RS = ("--response-spectra", "--periods=0.05,0.3,2", "--damping=0.02,0.05")


def columns(rows, first, last=None):
    return np.array([[float(v) for v in row[first:last]] for row in rows]).T


def test_read_gives_the_samples_written(record):
    got = wavespec.read(record[0])
    assert got.names == ("NS", "EW", "UD") and got.dt == DT and got.format == "csv"
    np.testing.assert_array_equal(got.data, record[1])


def test_fourier_is_amp3_and_amp_c(record, run):
    s = wavespec.fourier(record[1], DT)
    _, amp3 = read_csv(run() / "amp3.csv")
    _, ampc = read_csv(run() / "amp-c.csv")
    np.testing.assert_array_equal(s.frequency[1:], columns(amp3, 0, 1)[0])
    np.testing.assert_array_equal(s.amplitude[:, 1:], columns(amp3, 1))
    np.testing.assert_array_equal(s.frequency, columns(ampc, 0, 1)[0])
    np.testing.assert_array_equal(s.complex[0], columns(ampc, 1, 2)[0] + 1j * columns(ampc, 2)[0])


@pytest.mark.parametrize("options, kwargs", [
    ((), {}),
    (("--bandpass=0.1,0.2,8,12", "--integrate"), dict(bandpass=(0.1, 0.2, 8, 12), integrate=1)),
    (("--double-integrate", "--window=3.5,12.25"), dict(integrate=2, window=(3.5, 12.25))),
    (("--differentiate", "--invert=1,3", "--skip=7"), dict(differentiate=True, invert=(1, 3), skip=7)),
])
def test_process_is_the_full_layout_waveform(record, run, options, kwargs):
    _, rows = read_csv(run(*options) / "wave.csv")
    np.testing.assert_array_equal(wavespec.process(record[1], DT, **kwargs), columns(rows, 1))


@pytest.mark.parametrize("oscillator", ["band-limited", "piecewise-linear"])
def test_response_spectra_are_response_csv(record, run, oscillator):
    # response.csv is computed from the band-limited record as the waveform file holds it.
    acc = wavespec.process(record[1], DT, bandpass=(0.1, 0.2, 8, 12))
    r = wavespec.response_spectra(acc, DT, periods=[0.05, 0.3, 2], damping=[0.02, 0.05],
                                  oscillator=oscillator, threads=2)
    _, rows = read_csv(run(*RS, "--bandpass=0.1,0.2,8,12", f"--oscillator={oscillator}") / "response.csv")
    table = columns(rows, 3).reshape(5, 2, 3, 8)  # quantity, damping, period, column
    for q, name in enumerate(("Sd", "Sv", "Sa", "PSV", "PSA")):
        np.testing.assert_array_equal(getattr(r, name), table[q], err_msg=name)
    assert [row[2] for row in rows[:8]] == ["NS", "EW", "UD", *r.columns[3:]]


def test_measures_are_measures_csv(record, run):
    _, rows = read_csv(run(*RS) / "measures.csv")
    _, wave = read_csv(run(*RS) / "wave.csv")
    got = wavespec.measures(columns(wave, 1), DT)
    expected = columns(rows, 1).T
    for c in range(3):
        np.testing.assert_array_equal(list(got[c].values()), expected[c])
    si = wavespec.measures(record[1] / 100, DT, units="m/s/s")
    np.testing.assert_allclose(si[1]["Arias"], got[1]["Arias"], rtol=1e-12)


def test_smooth_is_smoothed_csv(record, run):
    _, amp3 = read_csv(run("--smooth=parzen:0.3") / "amp3.csv")
    _, rows = read_csv(run("--smooth=parzen:0.3") / "smoothed.csv")
    f = columns(rows, 0, 1)[0]
    got = wavespec.smooth(columns(amp3, 0, 1)[0], columns(amp3, 1), "parzen", 0.3, frequencies=f)
    np.testing.assert_array_equal(got, columns(rows, 1, 4))


@pytest.mark.parametrize("options, kwargs", [
    (("--hv=quadratic",), dict(mean="quadratic")),
    (("--hv-taper=0.3", "--hv-reject=1", "--hv-range=0.5,20", "--frequencies=0.3:30:80",
      "--hv-azimuths=30", "--smooth=parzen:0.4"),
     dict(taper=0.3, reject=1, range=(0.5, 20), frequencies=(0.3, 30, 80), azimuths=30,
          smoothing=("parzen", 0.4))),
])
def test_hv_is_hv_csv_and_summary(record, run, options, kwargs):
    out = run("--hv-windows=5", *options)
    _, rows = read_csv(out / "hv.csv")
    h = wavespec.hv(record[1], DT, window=5, **kwargs)
    table = columns(rows, 0)
    assert np.isfinite(table).all()
    np.testing.assert_array_equal(h.frequency, table[0])
    np.testing.assert_array_equal(h.mean, table[1])
    np.testing.assert_array_equal(h.sigma_ln, table[2])
    np.testing.assert_array_equal(h.windows, table[5:])
    summary = (out / "hv-summary.txt").read_text()
    assert f"f0 = {h.f0!r} Hz, A0 = {h.a0!r}\n" in summary
    assert f"clarity (at least five of six must pass): {'pass' if h.verdicts['clear'] else 'fail'}" in summary
    assert h.verdicts["reliability"]["nc > 200"]["value"] == pytest.approx(5 * h.kept.sum() * h.f0)
    if "reject" in kwargs:
        rejected = f"{(~h.kept).sum()} rejected in {h.rejection_rounds} round"
        assert rejected in summary
        _, rows = read_csv(out / "hv-azimuth.csv")
        azimuth = columns(rows, 0).reshape(4, len(h.azimuths), -1)  # column, angle, frequency
        np.testing.assert_array_equal(azimuth[0, :, 0], h.azimuths)
        np.testing.assert_array_equal(azimuth[2], h.azimuth_mean)
        np.testing.assert_array_equal(azimuth[3], h.azimuth_sigma_ln)


def test_process_with_processing_is_processed_csv(record, run):
    options = ("--detrend=linear", "--taper=0.05", "--pad=auto", "--highpass=0.2,3",
               "--lowpass=12", "--filter=causal", "--baseline=polynomial", "--integrate")
    out = run(*options)
    wave, processing = wavespec.process(
        record[1], DT, detrend="linear", taper=0.05, pad="auto", highpass=(0.2, 3), lowpass=12,
        filter="causal", baseline="polynomial", integrate=1)
    _, rows = read_csv(out / "wave.csv")
    np.testing.assert_array_equal(wave, columns(rows, 1))
    _, rows = read_csv(out / "processed.csv")
    np.testing.assert_array_equal(processing["acceleration"], columns(rows, 1)[0::3])
    before = int(round(-float(rows[0][0]) / DT))
    assert processing["pads"][0] == before and len(rows) == processing["acceleration"].shape[1]
    text = (out / "processing.txt").read_text()
    for c, numbers in enumerate(processing["components"]):
        assert numbers["highpass"] == 0.2 and numbers["lowpass"] == 12
        assert f"residual velocity {numbers['residual_velocity']!r}," in text
