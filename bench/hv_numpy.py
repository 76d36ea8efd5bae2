#!/usr/bin/python3
"""The H/V steps of `wavespec process --hv-windows=60 --frequencies=0.3:40:2048` in plain
numpy, for the times compared in docs/performance.md: read the tool's CSV record, cut 60 s windows
without overlap, remove each window's mean, apply a 10 % Tukey taper, transform each window
over its own samples, combine the horizontals (geometric mean of the raw amplitudes), smooth H
and |V| with the full Konno-Ohmachi sum (b = 40) at 2048 log-spaced frequencies, and take the
lognormal mean and deviation over the windows.

    /usr/bin/python3 bench/hv_numpy.py RECORD.csv
"""
import sys
import time

import numpy as np


def tukey(n, fraction):
    w = np.ones(n)
    if fraction <= 0:
        return w
    width = fraction * (n - 1) / 2
    k = np.arange(int(np.floor(width)) + 1)
    ramp = 0.5 * (1 - np.cos(np.pi * k / width)) if width > 0 else np.zeros(1)
    w[k] = ramp
    w[n - 1 - k] = ramp
    return w


def konno_ohmachi_matrix(bins, centres, b):
    x = b * np.log10(bins[None, :] / centres[:, None])
    with np.errstate(invalid="ignore", divide="ignore"):
        w = (np.sin(x) / x) ** 4
    w[x == 0] = 1.0
    return w / w.sum(axis=1, keepdims=True)


def main(path):
    start = time.perf_counter()
    data = np.loadtxt(path, delimiter=",", skiprows=1)
    read = time.perf_counter()
    dt = data[1, 0] - data[0, 0]
    n = int(round(60.0 / dt))
    count = len(data) // n
    windows = data[: count * n, 1:4].T.reshape(3, count, n)
    windows = windows - windows.mean(axis=2, keepdims=True)
    spectra = np.abs(np.fft.rfft(windows * tukey(n, 0.1), axis=2))[:, :, 1:] * dt
    bins = np.arange(1, n // 2 + 1) / (n * dt)
    h = np.sqrt(spectra[0] * spectra[1])
    centres = np.geomspace(0.3, 40.0, 2048)
    weights = konno_ohmachi_matrix(bins, centres, 40.0)
    ratio = (h @ weights.T) / (spectra[2] @ weights.T)
    logs = np.log(ratio)
    mean = np.exp(logs.mean(axis=0))
    sigma = logs.std(axis=0, ddof=1)
    done = time.perf_counter()
    print(f"read {read - start:.3f} s, H/V {done - read:.3f} s, total {done - start:.3f} s; "
          f"{count} windows, f0 = {centres[np.argmax(mean)]:.4g} Hz, sigma_ln there "
          f"{sigma[np.argmax(mean)]:.3g}")


if __name__ == "__main__":
    main(sys.argv[1])
