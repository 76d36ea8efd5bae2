#!/usr/bin/env python3
"""Writes small records of our own in the networks' formats into a folder: a K-NET set
(XYZ0010001.NS/.EW/.UD), a PEER AT2 triple, a SAC triple in each byte order and a MiniSEED
file of three channels (512-byte records of 32-bit integers).
Usage: make_format_samples.py DIR SAMPLES"""
import math
import os
import struct
import sys


def counts(c, n):
    return [round(3000.0 * math.sin(0.05 * i * (c + 1))) + 100 * (c + 1) for i in range(n)]


def knet(direction, values):
    fields = [("Origin Time", "2020/01/02 03:04:00"), ("Lat.", "36.000"), ("Long.", "140.000"),
              ("Depth. (km)", "10"), ("Mag.", "5.0"), ("Station Code", "XYZ001"),
              ("Station Lat.", "36.1000"), ("Station Long.", "140.1000"),
              ("Station Height(m)", "12"), ("Record Time", "2020/01/02 03:04:10"),
              ("Sampling Freq(Hz)", "100Hz"), ("Duration Time(s)", str(len(values) // 100)),
              ("Dir.", direction), ("Scale Factor", "3920(gal)/6182761"),
              ("Max. Acc. (gal)", "1.000"), ("Last Correction", "2020/01/02 03:04:08"),
              ("Memo.", "")]
    text = "".join(label.ljust(18) + value + "\n" for label, value in fields)
    for i in range(0, len(values), 8):
        text += "".join(str(v).rjust(9) for v in values[i:i + 8]) + "\n"
    return text


def at2(c, values):
    text = ("PEER NGA STRONG MOTION DATABASE RECORD\n"
            f"Test event, 2020, station XYZ, component {c}\n"
            "ACCELERATION TIME SERIES IN UNITS OF G\n"
            f"NPTS=  {len(values)}, DT=   .0050 SEC\n")
    for i in range(0, len(values), 5):
        text += "".join(f"  {v / 4096.0:.15E}" for v in values[i:i + 5]) + "\n"
    return text


def sac(values, component, big_endian):
    order = ">" if big_endian else "<"
    floats = [-12345.0] * 70
    floats[0] = 0.01  # delta
    ints = [-12345] * 40
    ints[76 - 70], ints[79 - 70], ints[85 - 70], ints[105 - 70] = 6, len(values), 1, 1
    texts = [b"-12345  "] * 24
    texts[0] = b"XYZ".ljust(8)           # kstnm
    texts[(600 - 440) // 8] = component.encode().ljust(8)
    texts[(608 - 440) // 8] = b"XX".ljust(8)
    head = struct.pack(order + "70f", *floats) + struct.pack(order + "40i", *ints)
    return head + b"".join(texts) + struct.pack(order + f"{len(values)}f", *[v / 8.0 for v in values])


def mseed(channels):
    """Records of 112 samples at 100 Hz from 2020-01-02T03:04:00, channel after channel."""
    data = b""
    sequence = 1
    for channel, values in channels:
        for first in range(0, len(values), 112):
            part = values[first:first + 112]
            ticks = first * 100  # 0.0001 s
            seconds, fraction = divmod(ticks, 10000)
            minutes, second = divmod(seconds, 60)
            head = (f"{sequence:06d}D ".encode() + b"XYZ  " + b"  " + channel.encode() + b"XX" +
                    struct.pack(">HHBBBBH", 2020, 2, 3, 4 + minutes, second, 0, fraction) +
                    struct.pack(">HhhBBBBiHH", len(part), 100, 1, 0, 0, 0, 1, 0, 64, 48) +
                    struct.pack(">HHBBBB", 1000, 0, 3, 1, 9, 0))
            record = head.ljust(64, b"\0") + struct.pack(f">{len(part)}i", *part)
            data += record.ljust(512, b"\0")
            sequence += 1
    return data


def main():
    folder, n = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)

    def write(name, data):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode())

    for c, (direction, ext) in enumerate([("N-S", "NS"), ("E-W", "EW"), ("U-D", "UD")]):
        write(f"XYZ0010001.{ext}", knet(direction, counts(c, n)))
    for c, suffix in enumerate(["000", "090", "-UP"]):
        write(f"RSN1063_TEST_XYZ{suffix}.AT2", at2(c, counts(c, n)))
    for big in (False, True):
        for c, comp in enumerate(["HHN", "HHE", "HHZ"]):
            write(f"{'be' if big else 'le'}.XYZ.{comp}.SAC", sac(counts(c, n), comp, big))
    write("XX.XYZ.mseed", mseed([(comp, counts(c, n)) for c, comp in enumerate(["HHN", "HHE", "HHZ"])]))


main()
