"""Every keyword of process() and hv() reaches the typed job: a value beyond its documented
bound is refused naming that keyword's option, and the grid asked for is the grid given."""

import inspect

import numpy as np
import pytest

import wavespec
from wavespec import _wavespec

DT = 0.01
NOISE = np.random.default_rng(11).normal(size=(3, 3000))

# keyword: (a value beyond the documented bound, the option the refusal names)
PROCESS = {
    "invert": ([4], "--invert"), "bandpass": ((0.1, 0.2, 20, 2e9), "--bandpass"),
    "window": ((0.0, -1.0), "--window"), "skip": (-1, "--skip"),
    "integrate": (3, "integrate must be 0, 1 or 2"), "differentiate": (True, "--differentiate"),
    "detrend": ("median", "--detrend"), "taper": (0.6, "--taper"), "pad": (-1.0, "--pad"),
    "highpass": ((0.1, 9), "--highpass"), "lowpass": (0.0, "--lowpass"),
    "filter": ("zero-phase", "--filter"), "baseline": ("spline", "--baseline"),
    "corners": ("snr,9", "--corners"), "signal_start": (-1.0, "--signal-start"),
    "snr_threshold": (0.0, "--snr-threshold"), "snr_band": ((5.0, 1.0), "--snr-band"),
}
HV = {
    "window": (0.0, "--hv-windows"), "taper": (1.5, "--hv-taper"),
    "smoothing": (("parzen", 0.0), "--smooth"), "mean": ("median", "--hv"),
    "reject": (-1.0, "--hv-reject"), "frequencies": ((1.0, 2e6, 10), "--frequencies"),
    "range": ((5.0, 1.0), "--hv-range"), "azimuths": (7.0, "--hv-azimuths"),
}
# Values a bad keyword needs beside it to be judged on its own.
COMPANIONS = {"differentiate": {"integrate": 1}, "signal_start": {"corners": "snr"},
              "snr_threshold": {"corners": "snr", "signal_start": 1.0},
              "snr_band": {"corners": "snr", "signal_start": 1.0}}


def keywords(function, leave_out):
    return set(inspect.signature(function).parameters) - leave_out


def test_the_tables_cover_every_keyword():
    assert set(PROCESS) == keywords(wavespec.process, {"record_or_data", "dt"})
    assert set(HV) == keywords(wavespec.hv, {"data", "dt", "threads"})


@pytest.mark.parametrize("keyword", sorted(PROCESS))
def test_each_process_keyword_is_held_to_its_bound(keyword):
    value, message = PROCESS[keyword]
    with pytest.raises(ValueError, match=message):
        wavespec.process(NOISE, DT, **COMPANIONS.get(keyword, {}), **{keyword: value})


@pytest.mark.parametrize("keyword", sorted(HV))
def test_each_hv_keyword_is_held_to_its_bound(keyword):
    value, message = HV[keyword]
    with pytest.raises(ValueError, match=message):
        wavespec.hv(NOISE, DT, **{"window": 5.0, keyword: value})


@pytest.mark.parametrize("call, message", [
    (lambda: wavespec.process(NOISE, DT, skip=3e9), "--skip"),
    (lambda: wavespec.process(NOISE, DT, highpass=(0.1, 2.5)), "--highpass"),
    (lambda: wavespec.hv(NOISE, DT, window=5.0, frequencies=(1.0, 10.0, -5)), "--frequencies"),
    (lambda: wavespec.hv(NOISE, DT, window=5.0, frequencies=10**12), "--smooth-points"),
])
def test_whole_numbers_beyond_the_fields_are_refused_naming_the_option(call, message):
    with pytest.raises(ValueError, match=message):
        call()


def test_the_grid_asked_for_is_the_grid_given():
    low, high, count = 0.3, 30.0, 41
    got = wavespec.hv(NOISE, DT, window=5.0, frequencies=(low, high, count)).frequency
    want = low * (high / low) ** (np.arange(count) / (count - 1))
    np.testing.assert_allclose(got, want, rtol=1e-13)
    assert got[0] == low and got[-1] == high


def test_a_field_the_job_lacks_cannot_be_set():
    job = _wavespec.Job()
    with pytest.raises(AttributeError):
        job.smooth_points = 10
    with pytest.raises(AttributeError):
        job.smoothing.hv_windows = 10.0
