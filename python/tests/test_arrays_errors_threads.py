"""Dtypes and memory orders, errors with the tool's messages, threads, the ObsPy adapter."""

import threading
import time
from types import SimpleNamespace

import numpy as np
import pytest

import wavespec
import wavespec.obspy
from conftest import DT

INTS = np.random.default_rng(2).integers(-2**20, 2**20, size=(3, 700), dtype=np.int32)


@pytest.mark.parametrize("convert", [
    lambda a: a.astype(np.int16 if np.abs(a).max() < 2**15 else np.int32),
    lambda a: a.astype(np.float32),
    lambda a: np.asfortranarray(a),
    lambda a: np.repeat(a, 2, axis=1)[:, ::2],  # strided view
    lambda a: a.T.copy().T,  # transposed layout
])
def test_any_real_dtype_and_order_gives_the_float64_result(convert):
    given = convert(INTS)
    exact = np.array(given, dtype=np.float64, order="C")  # int32 and float32 are exact in float64
    np.testing.assert_array_equal(wavespec.fourier(given, DT).complex, wavespec.fourier(exact, DT).complex)
    np.testing.assert_array_equal(wavespec.process(given, DT, integrate=1), wavespec.process(exact, DT, integrate=1))


def test_c_contiguous_float64_is_read_in_place_and_one_component_is_its_row():
    a = np.linspace(-1, 1, 600).reshape(3, 200)
    assert np.shares_memory(wavespec._as_float64(a, "data"), a)
    one = wavespec.response_spectra(a[1], DT, periods=[0.1, 1.0])
    assert one.columns == ("1",) and one.Sa.shape == (1, 2, 1)
    three = wavespec.response_spectra(np.vstack([a[1]] * 3), DT, periods=[0.1, 1.0])
    np.testing.assert_array_equal(one.Sa[..., 0], three.Sa[..., 0])
    with pytest.raises(TypeError):
        wavespec.fourier(a + 1j, DT)


RECORD = np.sin(np.arange(3000) * 0.05).reshape(3, 1000)
LONG_BINS = np.arange(1, 2**17 + 1) * 0.01


@pytest.mark.parametrize("call, message", [
    (lambda: wavespec.process(RECORD, DT, bandpass=(1, 2, 0.5, 3)),
     "for --bandpass: the corners must rise, FL1 <= FL2 <= FH1 <= FH2, but FL2 2 > FH1 0.5"),
    (lambda: wavespec.process(RECORD, DT, window=(0.0, 1e6)), "window refused: a window of 1e+06 s is too long"),
    (lambda: wavespec.process(RECORD, DT, skip=1000), "--skip=1000 passes the end of the 1000 output samples"),
    (lambda: wavespec.process(RECORD, DT, invert=(4,)), "--invert"),
    (lambda: wavespec.fourier(RECORD, 0.0), "no usable sampling interval"),
    (lambda: wavespec.fourier(RECORD, -1.0), "no usable sampling interval: its times count down"),
    (lambda: wavespec.fourier(RECORD[:, :1], DT), "no usable sampling interval"),
    (lambda: wavespec.fourier(RECORD[:2], DT), "shaped (3, n)"),
    (lambda: wavespec.response_spectra(RECORD, DT, damping=1.0), "--damping"),
    (lambda: wavespec.response_spectra(RECORD, DT, periods=[0.1, -1.0]), "--periods"),
    (lambda: wavespec.response_spectra(RECORD, DT, periods=[1e-6]), "below a thousandth of the record's sampling interval"),
    (lambda: wavespec.response_spectra(RECORD, float("nan")), "no usable sampling interval"),
    (lambda: wavespec.response_spectra(np.where(np.arange(1000) == 32, np.inf, RECORD), DT),
     "component 1 (1): the sample at 0.32 s (sample 33) is not finite (inf)"),
    (lambda: wavespec.response_spectra(RECORD, DT, oscillator="cubic"), "expected band-limited or piecewise-linear"),
    (lambda: wavespec.smooth([1.0, 3.0, 2.0], [1.0, 1.0, 1.0]), "frequencies must rise"),
    (lambda: wavespec.smooth([1.0, 2.0], [1.0, 1.0], b=0.0), "for --smooth: B must be from 0.01"),
    (lambda: wavespec.smooth([1.0, 2.0], [1.0, 1.0, 1.0]), "one value for each frequency"),
    (lambda: wavespec.smooth([0.0, 1.0], [1.0, 1.0]), "a frequency of 0 Hz"),
    (lambda: wavespec.smooth([1.0, 2.0], [1.0, np.nan]), "an amplitude of nan"),
    (lambda: wavespec.smooth([1.0, 2e6], [1.0, 1.0], "parzen", 0.01), "phase would reach"),
    # Amplitudes below zero are summed over every bin: 2^17 centres x 2^17 bins > 2^33.
    (lambda: wavespec.smooth(LONG_BINS, -np.ones(LONG_BINS.size)),
     "centres x summed points would take 17179869184"),
    (lambda: wavespec.response_spectra(np.zeros((3, 2**21)), DT, periods=np.geomspace(0.1, 10, 3000)),
     "periods x dampings x samples would take 6291456000"),
    (lambda: wavespec.hv(RECORD, DT, window=1e4), "holds no window that long"),
    (lambda: wavespec.hv(RECORD, DT, window=5.0, mean="median"), "for --hv: expected geometric"),
    (lambda: wavespec.response_spectra(RECORD, DT, names=["NS", "EW"]), "names: 2 given for 3 components"),
    (lambda: wavespec.response_spectra(RECORD, DT, names=[]), "names: 0 given for 3 components"),
    (lambda: wavespec.smooth([], []), "smoothing: no frequencies"),
    (lambda: wavespec.smooth(np.empty(0), np.empty((2, 0)), frequencies=[1.0]), "smoothing: no frequencies"),
    (lambda: wavespec.response_spectra(RECORD, DT, threads=1025), "invalid value '1025' for threads: N must be a whole number from 1 to 1024"),
    (lambda: wavespec.smooth([1.0, 2.0], [1.0, 1.0], threads=2**64), "for threads: N must be a whole number from 1 to 1024"),
    (lambda: wavespec.hv(RECORD, DT, window=5.0, threads=2.5), "invalid value '2.5' for threads"),
])
def test_refusals_raise_value_error_with_the_tool_message(call, message):
    with pytest.raises(ValueError) as refused:
        call()
    assert message in str(refused.value)


def test_hv_at_the_bins_of_a_long_record_asks_only_for_the_windows_smoothing():
    # 131 windows of 2000 samples at their 1000 bins; the record's 2^17 bins are not smoothed.
    noise = np.random.default_rng(6).normal(size=(3, 2**18))
    r = wavespec.hv(noise, DT, window=20, frequencies="bins")
    np.testing.assert_allclose(r.frequency, np.arange(1, 1001) / 20.0, rtol=1e-12)
    assert r.windows.shape == (131, 1000) and np.isfinite(r.mean).all()


def test_files_that_cannot_be_read_raise_os_error(tmp_path):
    bad = tmp_path / "bad.csv"
    bad.write_text("time,a,b,c\n0,1,2,3\n0.01,1,x,3\n")
    with pytest.raises(OSError, match=r"bad.csv:3:\d+: unreadable value"):
        wavespec.read(bad)
    with pytest.raises(OSError, match="missing.csv"):
        wavespec.read(tmp_path / "missing.csv")


def test_the_lock_is_released_while_the_library_computes():
    # Held, the lock would stop this thread's loop for the whole call.
    acc = np.random.default_rng(3).normal(size=(3, 8192))
    span = {}

    def spectra():
        span["start"] = time.perf_counter()
        wavespec.response_spectra(acc, DT, threads=1)
        span["end"] = time.perf_counter()

    worker = threading.Thread(target=spectra)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
        time.sleep(0.001)
    worker.join()
    inside = [t for t in ticks if span["start"] < t < span["end"]]
    assert span["end"] - span["start"] > 0.05 and len(inside) >= 10


def trace(channel, data, delta=DT, start=0.0):
    return SimpleNamespace(data=data, stats=SimpleNamespace(channel=channel, delta=delta, starttime=start))


def test_the_adapter_orders_horizontals_then_vertical():
    z, n, e = INTS
    stream = [trace("HHZ", z), trace("HHE", e), trace("HHN", n[:-5].copy())]
    got = wavespec.obspy.response_spectra(stream, periods=[0.2, 2.0])
    want = wavespec.response_spectra(np.vstack([n[:-5], e[:-5], z[:-5]]), DT, periods=[0.2, 2.0])
    assert got.columns == ("HHN", "HHE", "HHZ", "RotD00", "RotD50", "RotD100", "GMRotD50", "GMRotI50")
    np.testing.assert_array_equal(got.PSA, want.PSA)
    noise = np.random.default_rng(4).normal(size=(3, 4000))
    hv = wavespec.obspy.hv([trace("BH2", noise[1]), trace("BH1", noise[0]), trace("BHZ", noise[2])], window=10)
    np.testing.assert_array_equal(hv.mean, wavespec.hv(noise, DT, window=10).mean)


@pytest.mark.parametrize("stream, message", [
    ([trace("HHZ", INTS[0]), trace("HHN", INTS[1])], "holds 2 traces"),
    ([trace("HHZ", INTS[0]), trace("HHN", INTS[1]), trace("HHX", INTS[2])], "E or 2"),
    ([trace("HHZ", INTS[0]), trace("HHN", INTS[1]), trace("HHE", INTS[2], delta=0.02)], "intervals differ"),
    ([trace("HHZ", INTS[0]), trace("HHN", INTS[1]), trace("HHE", INTS[2], start=1.0)], "different times"),
])
def test_the_adapter_refuses_streams_it_cannot_match(stream, message):
    with pytest.raises(ValueError, match=message):
        wavespec.obspy.response_spectra(stream)


def test_smoothing_at_every_one_of_many_bins_is_within_the_bounds():
    # 2^17 centres, each summing about 2^10 points: a constant spectrum stays constant.
    smoothed = wavespec.smooth(LONG_BINS, np.full(LONG_BINS.size, 2.5))
    assert smoothed.shape == (LONG_BINS.size,)
    assert np.max(np.abs(smoothed - 2.5)) <= 2.5e-12
