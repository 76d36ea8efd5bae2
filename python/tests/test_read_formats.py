"""read() on files of each format written here byte by byte, against the values and times
they were written with; an inventory's gain-only channels against counts / sensitivity."""

import struct
import subprocess

import numpy as np
import pytest

import wavespec
from conftest import tool

N = 40
COUNTS = np.array([[(7 * i * (c + 1)) % 23 - 11 for i in range(N)] for c in range(3)])


def knet(tmp_path):
    scale = 3920.0 / 6182761.0
    for direction, extension, row in zip(("N-S", "E-W", "U-D"), ("NS", "EW", "UD"), COUNTS):
        header = [("Origin Time", "2021/01/01 08:59:00"), ("Lat.", "36.0"), ("Long.", "140.0"),
                  ("Depth. (km)", "10"), ("Mag.", "5.0"), ("Station Code", "TST001"),
                  ("Station Lat.", "36.1"), ("Station Long.", "140.1"),
                  ("Station Height(m)", "3"), ("Record Time", "2021/01/01 09:00:10"),
                  ("Sampling Freq(Hz)", "100Hz"), ("Duration Time(s)", "0"),
                  ("Dir.", direction), ("Scale Factor", "3920(gal)/6182761"),
                  ("Max. Acc. (gal)", "1.0"), ("Last Correction", "2021/01/01 09:00:08"),
                  ("Memo.", "")]
        lines = [f"{label:<18}{value}" for label, value in header]
        lines += ["".join(f"{v:>9}" for v in row[i:i + 8]) for i in range(0, N, 8)]
        (tmp_path / f"TST0012101010900.{extension}").write_text("\n".join(lines) + "\n")
    gal = COUNTS * scale
    # JST 09:00:10 less the 15 s pre-trigger is 08:59:55 JST, 23:59:55 UTC the day before.
    return (tmp_path / "TST0012101010900.NS", ("N-S", "E-W", "U-D"),
            gal - gal.mean(axis=1, keepdims=True), np.datetime64("2020-12-31T23:59:55"), "cm/s/s")


def at2(tmp_path):
    for tag, row in zip(("H1", "H2", "UP"), COUNTS):
        lines = ["PEER NGA STRONG MOTION DATABASE RECORD", "TEST 2000, STATION, " + tag,
                 "ACCELERATION TIME SERIES IN UNITS OF G", f"NPTS= {N}, DT= .0100 SEC"]
        lines += ["  ".join(f"{v / 64:.8f}" for v in row[i:i + 5]) for i in range(0, N, 5)]
        (tmp_path / f"RSN9_TEST_{tag}.AT2").write_text("\n".join(lines) + "\n")
    return tmp_path / "RSN9_TEST_H1.AT2", ("H1", "H2", "UP"), COUNTS / 64 * 980.665, None, "cm/s/s"


def sac_bytes(order, channel, row, dependent=-12345):
    floats = [-12345.0] * 70
    floats[0], floats[5] = 0.01, 1.5  # delta, b
    ints = [-12345] * 40
    ints[0:6] = [2024, 366, 23, 59, 59, 500]  # the reference time, 2024-12-31T23:59:59.500
    ints[6], ints[9], ints[15], ints[16], ints[35] = 6, N, 1, dependent, 1  # nvhdr npts iftype idep leven
    text = bytearray(b"-12345  " * 24)
    for offset, value in ((0, "STA"), (24, "00"), (160, channel), (168, "XX")):
        text[offset:offset + 8] = value.ljust(8).encode()
    return (struct.pack(f"{order}70f", *floats) + struct.pack(f"{order}40i", *ints) + bytes(text)
            + struct.pack(f"{order}{N}f", *row))


def sac(tmp_path, order="<", rows=COUNTS, dependent=-12345):
    paths = []
    for channel, row in zip(("HHN", "HHE", "HHZ"), rows):
        paths.append(tmp_path / f"XX.STA.00.{channel}.sac")
        paths[-1].write_bytes(sac_bytes(order, channel, row, dependent))
    # 23:59:59.500 on day 366 of 2024, plus b = 1.5 s.
    return paths, ("HHN", "HHE", "HHZ"), rows, np.datetime64("2025-01-01T00:00:01"), None


def sac_dt(case):
    """SAC holds delta as a float: 0.01 arrives as the float nearest it."""
    return case + (float(np.float32(0.01)),)


def mseed(tmp_path, encoding=3):
    kind = {3: ">i", 5: ">d"}[encoding]
    records = b""
    for sequence, (channel, row) in enumerate(zip(("HHN", "HHE", "HHZ"), COUNTS), 1):
        # BTIME 2024 day 60 (29 February) 23:59:58.1234; 100 Hz; blockette 1000 at byte 48.
        head = struct.pack(">6scc5s2s3s2sHHBBBBHHhhBBBBiHH", b"%06d" % sequence, b"D", b" ",
                           b"STA  ", b"00", channel.encode(), b"XX", 2024, 60, 23, 59, 58, 0,
                           1234, N, 100, 1, 0, 0, 0, 1, 0, 64, 48)
        blockette = struct.pack(">HHBBBB", 1000, 0, encoding, 1, 9, 0)
        data = struct.pack(f">{N}{kind[1]}", *(row if encoding == 3 else row / 8))
        records += (head + blockette).ljust(64, b"\0") + data.ljust(512 - 64, b"\0")
    path = tmp_path / "XX.STA.mseed"
    path.write_bytes(records)
    values = COUNTS if encoding == 3 else COUNTS / 8
    return path, ("HHN", "HHE", "HHZ"), values, np.datetime64("2024-02-29T23:59:58.123400"), None


needs_mseed = pytest.mark.skipif(not wavespec._wavespec.mseed_supported(),
                                 reason="the module is built without MiniSEED")
needs_stationxml = pytest.mark.skipif(not wavespec._wavespec.stationxml_supported(),
                                      reason="the module is built without StationXML")


@pytest.mark.parametrize("write, fmt", [
    (knet, "knet"), (at2, "at2"), (lambda p: sac_dt(sac(p)), "sac"),
    (lambda p: sac_dt(sac(p, ">")), "sac"),
    pytest.param(mseed, "mseed", marks=needs_mseed),
    pytest.param(lambda p: mseed(p, 5), "mseed", marks=needs_mseed),
])
def test_each_format_gives_its_samples_names_and_utc_start(tmp_path, write, fmt):
    path, names, values, start, units, *dt = write(tmp_path)
    got = wavespec.read(path)
    assert (got.format, got.names, got.dt, got.units) == (fmt, names, *(dt or [0.01]), units)
    np.testing.assert_allclose(got.data, values, rtol=0, atol=1e-12)
    assert got.start == start and (start is None or got.start.dtype == np.dtype("M8[us]"))


def station_xml(sensitivities, start="2020-01-01T00:00:00", end="2030-01-01T00:00:00"):
    channels = "".join(
        f'<Channel code="{code}" locationCode="00" startDate="{start}" endDate="{end}">'
        f"<Azimuth>{azimuth}</Azimuth><Dip>0</Dip><SampleRate>100</SampleRate><Response>"
        f"<InstrumentSensitivity><Value>{value!r}</Value><Frequency>1</Frequency>"
        "<InputUnits><Name>M/S**2</Name></InputUnits><OutputUnits><Name>COUNTS</Name>"
        "</OutputUnits></InstrumentSensitivity></Response></Channel>"
        for code, value, azimuth in zip(("HHN", "HHE", "HHZ"), sensitivities, (0, 90, 0)))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<FDSNStationXML '
            'xmlns="http://www.fdsn.org/xml/station/1" schemaVersion="1.1"><Source>tests</Source>'
            f'<Network code="XX"><Station code="STA">{channels}</Station></Network>'
            "</FDSNStationXML>\n")


@needs_stationxml
def test_inventory_divides_a_gain_only_channel_by_its_sensitivity(tmp_path):
    sensitivities = (4.0e5, -2.5e5, 1.6e4)  # counts per m/s^2; a negative one keeps its sign
    (tmp_path / "inv.xml").write_text(station_xml(sensitivities))
    paths, names, counts, start, _ = sac(tmp_path)
    got = wavespec.read(paths, inventory=tmp_path / "inv.xml")
    expected = counts / np.array(sensitivities)[:, None] * 100.0  # m/s^2 to cm/s^2
    assert (got.units, got.names, got.start) == ("cm/s/s", names, start)
    np.testing.assert_allclose(got.data, expected, rtol=1e-15, atol=0)


def tool_line(tmp_path, *arguments):
    done = subprocess.run([tool(), "process", "-q", "-C", str(tmp_path / "out"),
                           *map(str, arguments)], capture_output=True, text=True)
    assert done.returncode == 1
    return done.stderr.splitlines()[0]


# The tool's line names the record before a record's own failure; read() names the files.
@needs_stationxml
@pytest.mark.parametrize("xml, physical, error, record", [
    ("<FDSNStationXML", False, OSError, False),  # cut short
    (station_xml((1.0, 1.0, 1.0), end="2024-06-01T00:00:00"), False, ValueError, True),  # no epoch
    (station_xml((1.0, 1.0, 1.0)), True, ValueError, True),  # a SAC header in velocity already
])
def test_a_bad_inventory_fails_with_the_tools_line(tmp_path, xml, physical, error, record):
    (tmp_path / "inv.xml").write_text(xml)
    paths = sac(tmp_path, dependent=7 if physical else -12345)[0]
    with pytest.raises(error) as raised:
        wavespec.read(paths, inventory=tmp_path / "inv.xml")
    prefix = f"{tmp_path / 'XX.STA.00.HH'}: " if record else ""
    assert (tool_line(tmp_path, f"--inventory={tmp_path / 'inv.xml'}", *paths)
            == f"wavespec process: {prefix}{raised.value}")


@needs_stationxml
def test_an_inventory_for_a_format_without_channel_codes_is_refused(tmp_path):
    (tmp_path / "inv.xml").write_text(station_xml((1.0, 1.0, 1.0)))
    with pytest.raises(ValueError, match="needs SAC, MiniSEED or COSMOS V0 records"):
        wavespec.read(knet(tmp_path)[0], inventory=tmp_path / "inv.xml")
