#!/usr/bin/env python3
"""Writes knet/EXM0012612101200.NS, .EW and .UD: the motion of accelerogram.csv as a K-NET
ASCII set of our own making, so that the example shows a record in a network's format.

Each file is the format's 17 header lines (an 18-column label, then the value), then the
integer counts 8 to a line, 9 columns each. The counts are the acceleration in gal divided
by the Scale Factor's gal per count, rounded, plus an offset of the digitiser's (the reader
removes the trace's mean). The event, station and times are invented. Usage: make_knet.py
"""
import csv
import os

SCALE_GAL, SCALE_COUNTS = 3920, 6182761   # "3920(gal)/6182761": gal per count
OFFSETS = {"NS": 1520, "EW": -880, "UD": 310}
DIRECTIONS = {"NS": "N-S", "EW": "E-W", "UD": "U-D"}
BASE = "EXM0012612101200"

def header(direction, count, peak_gal):
    fields = [
        ("Origin Time", "2026/12/10 11:59:40"),
        ("Lat.", "36.000"),
        ("Long.", "140.000"),
        ("Depth. (km)", "10"),
        ("Mag.", "5.8"),
        ("Station Code", "EXM001"),
        ("Station Lat.", "36.1000"),
        ("Station Long.", "140.1000"),
        ("Station Height(m)", "25"),
        ("Record Time", "2026/12/10 12:00:00"),
        ("Sampling Freq(Hz)", "100Hz"),
        ("Duration Time(s)", str(count // 100)),
        ("Dir.", direction),
        ("Scale Factor", f"{SCALE_GAL}(gal)/{SCALE_COUNTS}"),
        ("Max. Acc. (gal)", f"{peak_gal:.3f}"),
        ("Last Correction", "2026/12/10 11:59:58"),
        ("Memo.", "synthetic example, not a recording"),
    ]
    return "".join(label.ljust(18) + value + "\n" for label, value in fields)

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "accelerogram.csv"), newline="") as f:
        rows = list(csv.reader(f))[1:]
    os.makedirs(os.path.join(here, "knet"), exist_ok=True)
    for column, name in enumerate(["NS", "EW", "UD"], start=1):
        gal = [float(row[column]) for row in rows]
        counts = [round(a * SCALE_COUNTS / SCALE_GAL) + OFFSETS[name] for a in gal]
        lines = [header(DIRECTIONS[name], len(counts), max(abs(a) for a in gal))]
        for i in range(0, len(counts), 8):
            lines.append("".join(f"{c:9d}" for c in counts[i:i + 8]) + "\n")
        with open(os.path.join(here, "knet", f"{BASE}.{name}"), "w", newline="\n") as f:
            f.write("".join(lines))

if __name__ == "__main__":
    main()
