#!/usr/bin/env python3
"""Writes accelerogram.csv: a synthetic three-component acceleration record (cm/s/s).

6000 samples at 0.01 s (60 s): a few damped oscillations of different frequencies under a
build-up-and-decay envelope, with a small deterministic noise, so that the spectra show peaks
and the band-pass filter and the integration have something to do. Usage: make_example.py [N]
"""
import math
import random
import sys

def envelope(t):
    # Rise over 3 s, strong motion to 15 s, then an exponential decay.
    if t < 3.0:
        return (t / 3.0) ** 2
    if t < 15.0:
        return 1.0
    return math.exp(-(t - 15.0) / 8.0)

def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 6000
    dt = 0.01
    rng = random.Random(20261208)
    waves = {
        "NS": [(120.0, 1.2, 0.3), (60.0, 3.5, 1.1), (25.0, 8.0, 2.0)],
        "EW": [(95.0, 0.9, 0.7), (70.0, 2.7, 0.2), (30.0, 6.5, 1.5)],
        "UD": [(40.0, 4.0, 0.5), (35.0, 11.0, 2.5), (10.0, 0.5, 0.1)],
    }
    out = sys.stdout
    out.write("time,NS,EW,UD\n")
    for i in range(n):
        t = i * dt
        row = [f"{t:.2f}"]
        for name in ("NS", "EW", "UD"):
            value = sum(a * math.sin(2.0 * math.pi * f * t + p) for a, f, p in waves[name])
            value = envelope(t) * value + rng.gauss(0.0, 0.5)
            row.append(f"{value:.6f}")
        out.write(",".join(row) + "\n")

if __name__ == "__main__":
    main()
