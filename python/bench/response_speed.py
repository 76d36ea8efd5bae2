"""Response spectra of a 32768-sample record through wavespec (one thread), against the C++
library call (bench/response_bench.cpp, the same record) and a plain numpy script.

The numpy script follows the usual definitions: the exact piecewise-linear step of the damped
oscillator between samples (Nigam and Jennings 1969), peaks taken at the samples, RotD from 180
angles. It does less than the library, which runs the oscillators over the band-limited record
and finds peaks between samples; the ratio is a cost ratio for comparable output, not for the
same numbers.

usage: python3 response_speed.py [runs]
"""

import sys
import time

import numpy as np

import wavespec


def reddened_noise(n: int) -> np.ndarray:
    """The record of bench/response_bench.cpp: the same generator, the same doubles."""
    state, mask = 32768, (1 << 64) - 1
    out = np.empty((3, n))
    for c in range(3):
        y = 0.0
        for i in range(n):
            state = (state * 6364136223846793005 + 1442695040888963407) & mask
            y = 0.95 * y + ((state >> 11) * 2.0**-53 - 0.5)
            out[c, i] = y
    return out


def numpy_response_spectra(acc: np.ndarray, dt: float, periods: np.ndarray, zeta: float):
    """Sd, Sv, Sa of the three components and RotD00/50/100 of Sd, by the piecewise-exact
    recurrence over all periods at once."""
    w = 2 * np.pi / periods
    wd = w * np.sqrt(1 - zeta**2)
    e = np.exp(-zeta * w * dt)
    s, c = np.sin(wd * dt), np.cos(wd * dt)
    # Nigam-Jennings coefficients: [u, v]_(i+1) = A [u, v]_i + B [a_i, a_(i+1)].
    a11 = e * (zeta * w / wd * s + c)
    a12 = e / wd * s
    a21 = -e * w / np.sqrt(1 - zeta**2) * s
    a22 = e * (c - zeta * w / wd * s)
    t1 = (2 * zeta**2 - 1) / (w**2 * dt)
    t2 = 2 * zeta / (w**3 * dt)
    b11 = e * ((t1 + zeta / w) * s / wd + (t2 + 1 / w**2) * c) - t2
    b12 = -e * (t1 * s / wd + t2 * c) - 1 / w**2 + t2
    b21 = e * ((t1 + zeta / w) * (c - zeta * w / wd * s) - (t2 + 1 / w**2) * (wd * s + zeta * w * c)) + 1 / (w**2 * dt)
    b22 = -e * (t1 * (c - zeta * w / wd * s) - t2 * (wd * s + zeta * w * c)) - 1 / (w**2 * dt)
    n = acc.shape[1]
    u = np.zeros((3, periods.size))
    v = np.zeros_like(u)
    disp = np.zeros((2, periods.size, n))
    sd, sv, sa = (np.zeros_like(u) for _ in range(3))
    for i in range(n - 1):
        ai, aj = acc[:, i, None], acc[:, i + 1, None]
        u, v = a11 * u + a12 * v + b11 * ai + b12 * aj, a21 * u + a22 * v + b21 * ai + b22 * aj
        disp[:, :, i + 1] = u[:2]
        np.maximum(sd, np.abs(u), out=sd)
        np.maximum(sv, np.abs(v), out=sv)
        np.maximum(sa, np.abs(2 * zeta * w * v + w**2 * u), out=sa)
    angles = np.radians(np.arange(180))
    rot = np.array([np.abs(np.cos(t) * disp[0] + np.sin(t) * disp[1]).max(axis=1) for t in angles])
    rotd = np.percentile(rot, [0, 50, 100], axis=0)
    return sd, sv, sa, rotd


def median_seconds(call, runs: int):
    """Median wall and processor seconds of the calls (processor time, like Google
    Benchmark's CPU column, is what a loaded machine disturbs least)."""
    wall, cpu = [], []
    for _ in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        call()
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return float(np.median(wall)), float(np.median(cpu))


def main() -> None:
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    dt = 0.01
    acc = reddened_noise(32768)
    periods = wavespec._wavespec.default_periods()
    module = median_seconds(lambda: wavespec.response_spectra(acc, dt, threads=1), runs)
    plain = median_seconds(lambda: numpy_response_spectra(acc, dt, periods, 0.05), 1)
    print(f"wavespec.response_spectra, 32768 samples, 100 periods, 1 thread: "
          f"{module[0] * 1e3:.1f} ms wall, {module[1] * 1e3:.1f} ms processor (median of {runs})")
    print(f"plain numpy, same periods, peaks at the samples: {plain[0] * 1e3:.1f} ms wall, "
          f"{plain[1] * 1e3:.1f} ms processor ({plain[1] / module[1]:.1f} times the module)")


if __name__ == "__main__":
    main()
