"""wavespec on numpy arrays: the tool's Fourier spectra, processing, response spectra,
ground-motion measures, smoothing and H/V, computed by the same compiled library.

Every function takes the samples as an array of any real numeric dtype and memory order
(converted once to C-contiguous float64; such an array is read in place) and a sampling
interval ``dt`` in seconds. The interpreter's lock is released while the library computes,
so threads run at once. A value the tool would refuse raises ``ValueError`` with the tool's
one-line message; a file that cannot be read raises ``OSError``.
"""

from __future__ import annotations

import inspect
import numbers
import os
from dataclasses import dataclass, field
from typing import Optional, Sequence, Tuple, Union

import numpy as np

from . import _wavespec

__all__ = [
    "Record",
    "Spectrum",
    "ResponseSpectra",
    "HV",
    "read",
    "fourier",
    "process",
    "response_spectra",
    "measures",
    "smooth",
    "hv",
    "Outcome",
    "process_files",
    "read_flatfile",
]

ArrayLike = Union[np.ndarray, Sequence[float], Sequence[Sequence[float]]]


def _as_float64(values: ArrayLike, what: str) -> np.ndarray:
    """values as C-contiguous float64, without a copy when they already are."""
    array = np.asarray(values)
    if array.dtype.kind not in "iuf":
        raise TypeError(f"{what} must hold real numbers, not {array.dtype}")
    return np.ascontiguousarray(array, dtype=np.float64)


def _three(data: ArrayLike) -> Tuple[np.ndarray, bool]:
    """A (3, n) record, and whether it was given as one component (n,)."""
    array = _as_float64(data, "data")
    if array.ndim == 1:
        return np.ascontiguousarray(np.broadcast_to(array, (3, array.size))), True
    if array.ndim != 2 or array.shape[0] != 3:
        raise ValueError(f"data must be shaped (3, n) or (n,), not {array.shape}")
    return array, False


def _threads(threads: Optional[int]) -> int:
    """threads checked as --jobs is: a whole number from 1 to 1024, by default the processors."""
    if threads is None:
        return _wavespec.thread_count(None)
    if not isinstance(threads, numbers.Real):
        raise TypeError(f"threads must be a number, not {type(threads).__name__}")
    return _wavespec.thread_count(float(threads))


def _number(value: float) -> str:
    """A number as the command line writes it: the shortest text that reads back the same."""
    return repr(float(value))


def _choice(option: str, value, choices: dict):
    """The typed value a keyword's name stands for, refused as the command line refuses it."""
    if isinstance(value, str) and value in choices:
        return choices[value]
    names = list(choices)
    expected = ", ".join(names[:-1]) + " or " + names[-1]
    raise ValueError(f"invalid value '{value}' for --{option}: expected {expected}")


@dataclass(frozen=True)
class Record:
    """A three-component record.

    names: the three components' names; dt: the sampling interval in s; data: (3, n) float64
    samples; units: the samples' unit where the format states it ("cm/s/s" for K-NET and AT2,
    "cm/s" for VT2, "cm" for DT2; after an inventory's response removal "cm/s/s", "cm/s" or
    "cm"), else None; start: the first sample's time in UTC, or None
    where it is not known; format: the format the file was read as; notes: the reader's
    remarks on the record.
    """

    names: Tuple[str, str, str]
    dt: float
    data: np.ndarray
    units: Optional[str] = None
    start: Optional[np.datetime64] = None
    format: str = "csv"
    notes: Tuple[str, ...] = ()


@dataclass(frozen=True)
class Spectrum:
    """Fourier spectra of the three components, bins 0 Hz to Nyquist.

    frequency (m,) in Hz, spaced 1/(nf dt) with nf the transform length (the record zero-padded
    to a power of two); complex (3, m): X(f) = dt * sum x_j exp(-2 pi i f j dt), in the
    record's unit times s; amplitude (3, m) = |complex|. amp3.csv holds frequency[1:] and
    amplitude[:, 1:], amp-c.csv frequency and complex[0].
    """

    frequency: np.ndarray
    amplitude: np.ndarray
    complex: np.ndarray


@dataclass(frozen=True)
class ResponseSpectra:
    """Peaks of linear damped oscillators, each shaped (dampings, periods, columns).

    Sd = max|u| (the record's unit times s^2), Sv = max|u'| (unit times s), Sa = max|u'' + a|
    (the record's unit), PSV = (2 pi / T) Sd, PSA = (2 pi / T)^2 Sd. columns names the last
    axis: the three components, then RotD00, RotD50 and RotD100 (Boore 2010), GMRotD50 and
    GMRotI50 (Boore et al. 2006) of the first two; a single component has its one column.
    gmroti_angles: the angle in degrees GMRotI50 takes, for each damping.
    """

    periods: np.ndarray
    dampings: np.ndarray
    columns: Tuple[str, ...]
    gmroti_angles: Tuple[int, ...]
    Sd: np.ndarray
    Sv: np.ndarray
    Sa: np.ndarray
    PSV: np.ndarray
    PSA: np.ndarray


@dataclass(frozen=True)
class HV:
    """H/V of ambient-noise windows (SESAME 2004; window rejection of Cox et al. 2020).

    frequency (k,) Hz; windows (w, k): each window's H/V, H combined from the horizontals'
    amplitude spectra bin by bin, H and |V| smoothed alike; kept (w,): the windows the
    rejection kept (all without it), after rejection_rounds rounds; mean (k,) = exp(mean of
    ln H/V) and sigma_ln (k,) its standard deviation (N - 1) over the kept windows;
    window_peaks (w,) Hz; f0 (Hz) and a0 at the mean curve's peak within the range; verdicts:
    the reliability and clarity criteria, each with its value, threshold and whether it passed
    (None: not judged, as with a single window), and "reliable" and "clear". With azimuths:
    the rotation angles in degrees (a,), the mean curve and sigma_ln at each (a, k), and the
    f0 of each (NaN where the range holds no peak).
    """

    frequency: np.ndarray
    windows: np.ndarray
    kept: np.ndarray
    rejection_rounds: int
    mean: np.ndarray
    sigma_ln: np.ndarray
    window_peaks: np.ndarray
    window_seconds: float
    f0: float
    a0: float
    peak_mean: float
    peak_sd: float
    verdicts: dict = field(default_factory=dict)
    azimuths: np.ndarray = field(default_factory=lambda: np.empty(0))
    azimuth_mean: np.ndarray = field(default_factory=lambda: np.empty((0, 0)))
    azimuth_sigma_ln: np.ndarray = field(default_factory=lambda: np.empty((0, 0)))
    azimuth_f0: np.ndarray = field(default_factory=lambda: np.empty(0))


_UNITS = {"knet": "cm/s/s", ".at2": "cm/s/s", ".vt2": "cm/s", ".dt2": "cm"}
_QUANTITY_UNITS = {"acceleration": "cm/s/s", "velocity": "cm/s", "displacement": "cm"}


_QUANTITIES = {
    "acceleration": _wavespec.Quantity.acceleration,
    "velocity": _wavespec.Quantity.velocity,
    "displacement": _wavespec.Quantity.displacement,
}


def _inventory_job(inventory, quantity, water_level, pre_filter, rotate):
    """The job of "process --inventory" that these values stand for; each value given other
    than its default is recorded as given, so that one without inventory is refused."""
    job = _wavespec.Job()
    options = job.inventory
    if inventory is not None:
        if not _wavespec.stationxml_supported():
            raise NotImplementedError(
                "inventory: StationXML support is not built into this wavespec module "
                "(it needs pugixml)"
            )
        options.inventory = os.fspath(inventory)
    if quantity != "acceleration":
        options.units = _choice("units", quantity, _QUANTITIES)
    if water_level != 60.0:
        options.water_level = None if water_level is None else float(water_level)
    if pre_filter is not None:
        options.pre_filter = tuple(float(f) for f in pre_filter)
    if rotate:
        options.rotate = True
    return job


def read(
    path: Union[str, os.PathLike, Sequence[Union[str, os.PathLike]]],
    format: str = "auto",
    inventory: Optional[Union[str, os.PathLike]] = None,
    *,
    quantity: str = "acceleration",
    water_level: Optional[float] = 60.0,
    pre_filter: Optional[Sequence[float]] = None,
    rotate: bool = False,
) -> Record:
    """Reads a record as the tool reads it: its CSV, K-NET/KiK-net (one file of the set
    names it), PEER AT2/VT2/DT2 (one file of an RSN set names it), SAC (the three files, as a
    sequence of paths) or MiniSEED. OSError names the file and the place.

    start: the first sample's time in UTC, numpy.datetime64 in microseconds. K-NET and KiK-net
    write their Record Time in Japan Standard Time (UTC+9) at the trigger, 15 s after the first
    sample: start = Record Time - 9 h - 15 s. SAC: the reference time plus b; MiniSEED: the
    record's first sample. CSV and AT2 carry no time: None.

    inventory: a StationXML file; the samples of a SAC or MiniSEED record in counts are then
    taken to physical units as "wavespec process --inventory" takes them (mean removed, 5 %
    cosine taper at each end, divided by the response D(f) = H(f) (2 pi i f)^-n held at a
    water level of water_level dB below its maximum (None: none), optional cosine pre_filter
    (F1, F2, F3, F4) in Hz). quantity: "acceleration" (cm/s/s), "velocity" (cm/s) or
    "displacement" (cm). rotate: the horizontals rotated to north and east by their azimuths.
    Without StationXML support in the module, NotImplementedError. A record the inventory
    cannot convert (no epoch, or more than one, for a channel at the record's start; a SAC
    header in physical units already) raises ValueError with the tool's line, as does a
    format without channel codes; an inventory that cannot be read raises OSError.
    """
    paths = [os.fspath(p) for p in ([path] if isinstance(path, (str, os.PathLike)) else path)]
    job = _inventory_job(inventory, quantity, water_level, pre_filter, rotate)
    names, dt, data, format_read, notes, start_us = _wavespec.read(paths, format, job)
    if inventory is not None:
        units = _QUANTITY_UNITS[quantity]
    elif format_read == "at2":
        units = _UNITS.get(os.path.splitext(paths[0])[1].lower())
    else:
        units = _UNITS.get(format_read)
    start = None if start_us is None else np.datetime64(start_us, "us")
    return Record(tuple(names), dt, data, units, start, format_read, tuple(notes))


def fourier(data: ArrayLike, dt: float) -> Spectrum:
    """The Fourier spectra of a (3, n) record (or (n,): one component) at interval dt (s)."""
    array, single = _three(data)
    frequency, amplitude, spectra = _wavespec.fourier(array, float(dt))
    if single:
        amplitude, spectra = amplitude[:1], spectra[:1]
    return Spectrum(frequency, amplitude, spectra)


def _record_steps(
    job,
    *,
    invert: Sequence[int] = (),
    bandpass: Optional[Sequence[float]] = None,
    integrate: int = 0,
    differentiate: bool = False,
    window: Optional[Sequence[float]] = None,
    skip: int = 0,
    detrend: Optional[str] = None,
    taper: Optional[float] = None,
    pad: Union[None, str, float] = None,
    highpass: Union[None, float, Sequence[float]] = None,
    lowpass: Union[None, float, Sequence[float]] = None,
    filter: Optional[str] = None,
    baseline: Optional[str] = None,
    corners: Optional[str] = None,
    signal_start: Optional[float] = None,
    snr_threshold: Optional[float] = None,
    snr_band: Optional[Sequence[float]] = None,
) -> None:
    """The steps of process() and process_files(): the dialogue's and the processing chain's
    keywords into the job's typed fields."""
    _design_steps(job, invert, bandpass, integrate, differentiate, window, skip)
    _processing(job.processing, detrend=detrend, taper=taper, pad=pad, highpass=highpass,
                lowpass=lowpass, filter=filter, baseline=baseline, corners=corners,
                signal_start=signal_start, snr_threshold=snr_threshold, snr_band=snr_band)


def process(record_or_data: Union[Record, ArrayLike], dt: Optional[float] = None, **steps):
    """The record processed as "wavespec process" does, returned as --layout=full's waveform
    holds it: (3, m) float64.

    invert: components (1, 2, 3) whose sign changes; bandpass: corners (FL1, FL2, FH1, FH2) in
    Hz of the cosine-tapered band-pass; integrate: 1 once (velocity from acceleration), 2
    twice; differentiate: once; window: (start, duration) in s; skip: keep every (skip+1)-th
    sample, so the interval becomes (skip + 1) dt.

    detrend ("demean" or "linear"), taper (FRACTION), pad ("auto" or seconds), highpass and
    lowpass (FC or (FC, ORDER)), filter ("acausal" or "causal"), baseline ("polynomial"),
    corners ("snr" or "snr,ORDER") with signal_start, snr_threshold and snr_band: the record
    processed before everything else, as the options of the same names do. With any of them
    the result is (waveform, processing): processing is a dict of processed.csv's
    "acceleration" (3, n) with its pads, "pads" (before, after), "components" (each one's
    corners, residual velocity and displacement, peak displacement before and after the
    baseline correction) and "text", processing.txt's lines.
    """
    if isinstance(record_or_data, Record):
        data, dt = record_or_data.data, record_or_data.dt if dt is None else dt
    else:
        data = record_or_data
    if dt is None:
        raise ValueError("dt is needed with a plain array")
    array, single = _three(data)
    job = _wavespec.Job()
    _record_steps(job, **steps)
    out, processing = _wavespec.process(array, float(dt), job)
    out = out[:1] if single else out
    return out if processing is None else (out, processing)


# process() shows the steps' keywords as its own (help(), inspect.signature).
process.__signature__ = inspect.Signature(
    list(inspect.signature(process).parameters.values())[:2]
    + list(inspect.signature(_record_steps).parameters.values())[1:]
)


def _design_steps(job, invert, bandpass, integrate, differentiate, window, skip) -> None:
    """The dialogue's steps of process's keywords, into the job's typed fields."""
    if invert:
        job.invert = [float(c) for c in invert]
    if bandpass is not None:
        job.bandpass = _reals("bandpass", bandpass, 4)
    if integrate not in (0, 1, 2):
        raise ValueError(f"integrate must be 0, 1 or 2, not {integrate}")
    if integrate and differentiate:
        once = "--integrate" if integrate == 1 else "--double-integrate"
        raise ValueError(f"{once} and --differentiate cannot be given together")
    job.operation = 3 if differentiate else int(integrate)
    if window is not None:
        job.window = _reals("window", window, 2)
    if skip:
        job.skip = _whole(skip, "skip")


def _reals(option: str, values, count: int) -> tuple:
    """count numbers, as the option takes them."""
    numbers_given = tuple(float(v) for v in np.atleast_1d(values))
    if len(numbers_given) != count:
        text = ",".join(_number(v) for v in numbers_given)
        raise ValueError(f"invalid value '{text}' for --{option}: expected {count} numbers "
                         "separated by commas")
    return numbers_given


def _whole(value, option: str) -> int:
    """An int for a field the job holds as one (32 bits); the job's check holds it to its
    range."""
    number = float(value)
    if not (abs(number) <= 2**31 - 1 and number == int(number)):
        raise ValueError(f"invalid value '{value}' for --{option}: expected a whole number")
    return int(number)


_DETRENDS = {"demean": _wavespec.Detrend.demean, "linear": _wavespec.Detrend.linear}


def _corner(option: str, value):
    """FC, or (FC, ORDER)."""
    if np.ndim(value) == 0:
        return _wavespec.Corner(float(value))
    hz, order = value
    return _wavespec.Corner(float(hz), _whole(order, option))


def _processing(options, **keywords) -> None:
    """The processing keywords that were given, into the job's processing fields."""
    given = {name: value for name, value in keywords.items() if value is not None}
    options.asked = bool(given)
    if "detrend" in given:
        options.detrend = _choice("detrend", given["detrend"], _DETRENDS)
    if "taper" in given:
        options.taper = float(given["taper"])
    if "pad" in given:
        pad = given["pad"]
        options.pad = (_wavespec.PadRequest(True) if isinstance(pad, str) and pad == "auto"
                       else _wavespec.PadRequest(False, float(pad)))
    if "highpass" in given:
        options.highpass = _corner("highpass", given["highpass"])
    if "lowpass" in given:
        options.lowpass = _corner("lowpass", given["lowpass"])
    if "filter" in given:
        options.causal = _choice("filter", given["filter"], {"acausal": False, "causal": True})
        options.filter_given = True
    if "baseline" in given:
        options.baseline = _choice("baseline", given["baseline"], {"polynomial": True})
    if "corners" in given:
        corners = given["corners"]
        if isinstance(corners, str) and (corners == "snr" or corners.startswith("snr,")):
            options.corner_source = _wavespec.CornerSource.snr
            if corners != "snr":
                options.corner_order = _whole(float(corners[4:]), "corners")
        else:
            options.table_path = os.fspath(corners)
    if "signal_start" in given:
        options.signal_start = float(given["signal_start"])
    if "snr_threshold" in given:
        options.snr_threshold = float(given["snr_threshold"])
    if "snr_band" in given:
        options.snr_band = _reals("snr-band", given["snr_band"], 2)


_OSCILLATORS = {
    "band-limited": _wavespec.Convention.band_limited,
    "piecewise-linear": _wavespec.Convention.piecewise_linear,
}

_COMPONENT_COLUMNS = ("1", "2", "3", "RotD00", "RotD50", "RotD100", "GMRotD50", "GMRotI50")


def response_spectra(
    acc: ArrayLike,
    dt: float,
    periods: Optional[ArrayLike] = None,
    damping: Union[float, ArrayLike] = 0.05,
    oscillator: str = "band-limited",
    names: Optional[Sequence[str]] = None,
    threads: Optional[int] = None,
) -> ResponseSpectra:
    """Response spectra of an acceleration record at interval dt (s), as response.csv holds
    them.

    periods in s (default: 100 from 0.01 to 10 s, evenly spaced in their logarithm); damping:
    one or several fractions of critical in (0, 1). oscillator "band-limited": the oscillators
    run over the band-limited record (no content above Nyquist), followed by free vibration,
    with peaks over continuous time; "piecewise-linear": straight lines between the samples,
    stepped exactly at dt/k with k = ceil(10 dt/T), peaks at those instants. names: the
    components' columns, one for each (ValueError otherwise). threads share the oscillators
    (the results do not depend on how many; default: all the processors, as --jobs, from 1
    to 1024).
    """
    array, single = _three(acc)
    period_array = (
        _wavespec.default_periods() if periods is None else _as_float64(np.atleast_1d(periods), "periods")
    )
    damping_array = _as_float64(np.atleast_1d(damping), "damping")
    convention = _choice("oscillator", oscillator, _OSCILLATORS)
    *results, angles = _wavespec.response_spectra(
        array, float(dt), period_array, damping_array, convention, _threads(threads)
    )
    columns = _COMPONENT_COLUMNS
    if names is not None:
        names = tuple(names)
        # One name a component: three, or one for a single component.
        if len(names) != 3 and not (single and len(names) == 1):
            given = "1 component" if single else "3 components"
            raise ValueError(f"names: {len(names)} given for {given}")
        columns = names + _COMPONENT_COLUMNS[len(names):]
    if single:
        results = tuple(r[:, :, :1] for r in results)
        columns = columns[:1]
    return ResponseSpectra(period_array, damping_array, columns, tuple(angles), *results)


_MEASURES = ("PGA", "PGV", "PGD", "Arias", "D5-75", "D5-95", "CAV")


def measures(acc: ArrayLike, dt: float, units: str = "gal") -> dict:
    """Ground-motion measures of an acceleration record, as measures.csv holds them for the
    series of the waveform file.

    Returns {component index: {measure: value}} for each component: PGA = max|a|, PGV and PGD
    the peaks of velocity and displacement integrated from rest by the trapezoid rule (the
    record's unit times s and s^2), Arias = pi/(2g) integral a^2 dt in m/s, D5-75 and D5-95 in
    s between those fractions of the Arias intensity, CAV = integral |a| dt.
    units: "gal" (cm/s/s) or "m/s/s"; it changes only how Arias is scaled to m/s.
    """
    if units not in ("gal", "m/s/s"):
        raise ValueError(f"invalid value '{units}' for units: expected gal or m/s/s")
    array, single = _three(acc)
    values = _wavespec.measures(array, float(dt))
    if units == "m/s/s":
        values[:, 3] *= 1e4  # Arias from cm^2/s^3 to m^2/s^3
    rows = values[:1] if single else values
    return {c: dict(zip(_MEASURES, map(float, row))) for c, row in enumerate(rows)}


_WINDOWS = {
    "konno-ohmachi": _wavespec.WindowKind.konno_ohmachi,
    "parzen": _wavespec.WindowKind.parzen,
}


def _smoothing_window(method: str, b: float):
    """The window of smooth()'s and hv()'s (method, b)."""
    if not (isinstance(method, str) and method in _WINDOWS):
        raise ValueError(f"invalid value '{method}' for --smooth: expected konno-ohmachi[:B] or "
                         "parzen[:BW]")
    return _wavespec.SmoothingWindow(_WINDOWS[method], float(b))


def smooth(
    frequency: ArrayLike,
    amplitude: ArrayLike,
    method: str = "konno-ohmachi",
    b: float = 40.0,
    frequencies: Optional[ArrayLike] = None,
    threads: Optional[int] = None,
) -> np.ndarray:
    """Amplitude spectra smoothed by the normalised window sum over every bin:
    S(fc) = sum W(f, fc) A(f) / sum W(f, fc), W = (sin x / x)^4 with x = b log10(f/fc)
    (konno-ohmachi, b the bandwidth coefficient) or x = (pi 280/302)(f - fc)/b (parzen, b the
    bandwidth in Hz).

    frequency (m,) in Hz, above zero and rising; amplitude (m,) or (k, m); frequencies: the
    centres (default: the bins themselves). Returns the shape of amplitude with the centres
    along its last axis.
    """
    freq = _as_float64(frequency, "frequency")
    amp = _as_float64(amplitude, "amplitude")
    centres = freq if frequencies is None else _as_float64(np.atleast_1d(frequencies), "frequencies")
    window = _smoothing_window(method, b)
    out = _wavespec.smooth(freq, np.atleast_2d(amp), window, centres, _threads(threads))
    return out[0] if amp.ndim == 1 else out


def hv(
    data: ArrayLike,
    dt: float,
    window: float = 60.0,
    taper: float = 0.1,
    smoothing: Tuple[str, float] = ("konno-ohmachi", 40.0),
    mean: str = "geometric",
    reject: Optional[float] = None,
    frequencies: Union[None, str, int, Tuple[float, float, int]] = None,
    range: Optional[Tuple[float, float]] = None,
    azimuths: Optional[float] = None,
    threads: Optional[int] = None,
) -> HV:
    """H/V of ambient noise, as hv.csv, hv-summary.txt and hv-azimuth.csv hold it.

    data (3, n): the two horizontals, then the vertical; window: seconds per window (cut
    without overlap, each with its mean removed and a Tukey taper over the fraction taper of
    its length); smoothing: (method, b) as in smooth(); mean: how the horizontals combine,
    "geometric" sqrt(H1 H2), "quadratic" sqrt((H1^2 + H2^2)/2), "arithmetic" (H1 + H2)/2 or
    "total" sqrt(H1^2 + H2^2); reject: standard deviations of the frequency-domain window
    rejection; frequencies: None for 100 points a decade, an int for that many, "bins" for
    the windows' own bins, or (from, to, count) log-spaced; range: (fmin, fmax) Hz where f0 is
    searched; azimuths: the step in degrees (dividing 180) of rotated horizontals.
    """
    array, single = _three(data)
    if single:
        raise ValueError("H/V needs three components")
    job = _hv_job(window, taper, smoothing, mean, reject, frequencies, range, azimuths)
    r = _wavespec.hv(array, float(dt), job, _threads(threads))
    verdicts = {key: r[key] for key in ("reliability", "clarity", "reliable", "clear")}
    return HV(
        r["frequency"], r["windows"], r["kept"], r["rejection_rounds"], r["mean"], r["sigma_ln"],
        r["window_peaks"], r["window_seconds"], r["f0"], r["a0"], r["peak_mean"], r["peak_sd"],
        verdicts, r["azimuths"], r["azimuth_mean"], r["azimuth_sigma_ln"], r["azimuth_f0"],
    )


_MEANS = {
    "geometric": _wavespec.HorizontalMean.geometric,
    "quadratic": _wavespec.HorizontalMean.quadratic,
    "arithmetic": _wavespec.HorizontalMean.arithmetic,
    "total": _wavespec.HorizontalMean.total,
}


def _hv_job(window, taper, smoothing, mean, reject, frequencies, range, azimuths):
    """hv()'s keywords as the job's smoothing fields: the noise windows' own smoothing, and
    no smoothed.csv."""
    job = _wavespec.Job()
    s = job.smoothing
    s.hv_window = _smoothing_window(*smoothing)
    points, grid = None, None
    if isinstance(frequencies, tuple):
        grid = frequencies
    elif (isinstance(frequencies, str) and frequencies == "bins") or (
            isinstance(frequencies, numbers.Integral) and not isinstance(frequencies, bool)):
        points = frequencies
    elif frequencies is not None:
        raise ValueError(f"frequencies: {frequencies!r} is none of None, a count a decade, "
                         "'bins' and (from, to, count)")
    # window, taper and mean are always asked for here: None is refused, not left out.
    _smoothing_keywords(s, None, points, grid, "None" if mean is None else mean, float(window),
                        float(taper), range, reject, azimuths)
    return job


@dataclass(frozen=True)
class Outcome:
    """One record of process_files: its stem, whether it succeeded, the line the command line
    prints for it (or why it failed), and the directory its files went to ("" on failure)."""

    stem: str
    ok: bool
    line: str
    directory: str


_LAYOUTS = {"legacy": _wavespec.FileLayout.legacy, "full": _wavespec.FileLayout.full}


def _smoothing_keywords(s, smooth, smooth_points, frequencies, hv, hv_windows, hv_taper,
                        hv_range, hv_reject, hv_azimuths) -> None:
    """process_files' smoothing and H/V keywords into the job's smoothing fields: smooth is a
    method ("konno-ohmachi", "parzen") with its default width, or (method, width)."""
    if smooth is not None:
        method, width = (smooth, None) if isinstance(smooth, str) else smooth
        if not (isinstance(method, str) and method in _WINDOWS):
            raise ValueError(f"invalid value '{method}' for --smooth: expected konno-ohmachi or "
                             "parzen")
        s.window = _wavespec.SmoothingWindow(_WINDOWS[method],
                                             None if width is None else float(width))
    if smooth_points is not None:
        s.points_given = True
        if isinstance(smooth_points, str) and smooth_points == "bins":
            s.at_bins = True
        else:
            s.points_per_decade = _whole(smooth_points, "smooth-points")
    if frequencies is not None:
        low, high, count = frequencies
        s.frequencies = _wavespec.frequency_grid(float(low), float(high), float(count))
    if hv is not None:
        s.mean = _choice("hv", hv, _MEANS)
        s.mean_given = True
    if hv_windows is not None:
        s.hv_window_seconds = float(hv_windows)
    if hv_taper is not None:
        s.hv_taper = float(hv_taper)
        s.hv_taper_given = True
    if hv_range is not None:
        s.hv_range = _reals("hv-range", hv_range, 2)
    if hv_reject is not None:
        s.hv_reject = float(hv_reject)
    if hv_azimuths is not None:
        s.hv_azimuth_step = float(hv_azimuths)


def _process_job(
    *,
    layout: str = "legacy",
    dumps: Optional[bool] = None,
    plot: bool = False,
    output: str = "wave.csv",
    jobs: int = 1,
    format: str = "auto",
    channels: Optional[Sequence[int]] = None,
    keep_offset: bool = False,
    quantity: str = "acceleration",
    response_spectra: bool = False,
    periods: Optional[ArrayLike] = None,
    damping: Union[None, float, ArrayLike] = None,
    oscillator: str = "band-limited",
    smooth: Union[None, str, Tuple[str, float]] = None,
    smooth_points: Union[None, int, str] = None,
    frequencies: Optional[Tuple[float, float, int]] = None,
    hv: Optional[str] = None,
    hv_windows: Optional[float] = None,
    hv_taper: Optional[float] = None,
    hv_range: Optional[Tuple[float, float]] = None,
    hv_reject: Optional[float] = None,
    hv_azimuths: Optional[float] = None,
    inventory: Optional[Union[str, os.PathLike]] = None,
    units: str = "acceleration",
    water_level: Optional[float] = 60.0,
    pre_filter: Optional[Sequence[float]] = None,
    rotate: bool = False,
    **steps,
):
    """process_files' keywords as the typed job of one record, checked as process checks its
    options (ValueError with the tool's line); steps are process()'s."""
    job = _inventory_job(inventory, units, water_level, pre_filter, rotate)
    _record_steps(job, **steps)
    job.response_spectra = bool(response_spectra)
    if periods is not None:
        job.periods = [float(p) for p in np.atleast_1d(periods)]
    if damping is not None:
        job.dampings = [float(d) for d in np.atleast_1d(damping)]
    job.oscillator = _choice("oscillator", oscillator, _OSCILLATORS)
    _smoothing_keywords(job.smoothing, smooth, smooth_points, frequencies, hv, hv_windows,
                        hv_taper, hv_range, hv_reject, hv_azimuths)
    options = _wavespec.ProcessJob(job)
    options.layout = _choice("layout", layout, _LAYOUTS)
    options.dumps = layout == "legacy" if dumps is None else bool(dumps)
    options.plot = bool(plot)
    options.output = os.fspath(output)
    options.jobs = _whole(jobs, "jobs")
    options.format = format
    if channels is not None:
        options.channels = [_whole(c, "channels") for c in channels]
    options.keep_offset = bool(keep_offset)
    options.quantity = quantity
    _wavespec.check_process_job(options)
    return options


def _process_record(paths: list, options: dict, out_dir: str) -> Outcome:
    # The job is made again where the record runs: only plain values travel to a worker.
    return Outcome(*_wavespec.process_record(paths, _process_job(**options), out_dir))


def process_files(paths, *, out_dir, executor=None, **options) -> list:
    """Runs records as `wavespec process` does, each into out_dir/STEM/ with run.json last.

    paths: each item one record: a path (a CSV file, or any file of a K-NET or NGA set), or a
    sequence of the paths of one set (SAC, MiniSEED). options: process's options as typed
    keywords named after them, dashes as underscores: layout ("legacy" or "full"), dumps
    (None: the layout's default), plot, output, jobs (threads of one record, 1 unless given),
    format, channels (three, from 1), keep_offset, quantity; the steps as process() takes
    them (invert, bandpass, integrate, differentiate, window, skip, detrend ... snr_band);
    response_spectra, periods, damping, oscillator; smooth ("konno-ohmachi", "parzen" or
    (method, width)), smooth_points (a count a decade or "bins"), frequencies ((from, to,
    count)), hv (the horizontal mean), hv_windows, hv_taper, hv_range, hv_reject,
    hv_azimuths; inventory, units, water_level, pre_filter, rotate. An unknown keyword raises
    TypeError, a value process refuses ValueError, before any record runs.
    executor: any concurrent.futures.Executor (a process pool, or dask.distributed's
    Client.get_executor()); None runs the records one after another here.
    Returns one Outcome for each record, in the order given; a record that fails fails alone.
    """
    job = _process_job(**options)
    out = os.fspath(out_dir)
    if not out:
        raise ValueError("out_dir needs a directory name")
    records = [[os.fspath(p)] if isinstance(p, (str, os.PathLike)) else [os.fspath(q) for q in p]
               for p in paths]
    if executor is None:
        return [Outcome(*_wavespec.process_record(record, job, out)) for record in records]
    futures = [executor.submit(_process_record, record, options, out) for record in records]
    return [future.result() for future in futures]


def _csv_rows(text: str) -> list:
    """The records of an RFC 4180 text."""
    import csv
    import io

    return list(csv.reader(io.StringIO(text, newline="")))


def read_flatfile(path, as_pandas: bool = False):
    """A flatfile of `wavespec flatfile` as a dict of numpy columns (text columns as str
    arrays; dt, nt, highpass, lowpass and the measures and SA as float64, an empty field NaN),
    or with as_pandas=True as a pandas DataFrame (ImportError without pandas)."""
    if as_pandas:
        import pandas  # noqa: F401  (raises ImportError where it is not installed)
    with open(path, encoding="utf-8", newline="") as f:
        rows = _csv_rows(f.read())
    if not rows:
        raise ValueError(f"{os.fspath(path)}: empty, not a flatfile")
    header, body = rows[0], rows[1:]
    text_columns = {"stem", "component", "files", "format", "network", "station", "location",
                    "channels", "start", "units"}
    columns = {}
    for i, name in enumerate(header):
        values = [row[i] if i < len(row) else "" for row in body]
        if name in text_columns:
            columns[name] = np.array(values, dtype=str)
        else:
            columns[name] = np.array([float(v) if v != "" else np.nan for v in values],
                                     dtype=np.float64)
    if as_pandas:
        import pandas

        return pandas.DataFrame(columns)
    return columns
