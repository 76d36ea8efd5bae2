// The national networks' files of one station's three components in one file: CWA (Taiwan),
// AFAD (Turkey), UNAM (Mexico), RENADIC (Chile) and BHRC (Iran). Each reader gives the
// components in the file's order, its samples in cm/s^2.
#pragma once

#include <array>
#include <string_view>

#include "formats/file_trace.hpp"

namespace wavespec::formats {

// CWA (formerly CWB): "#Key: value" header lines (the first "#Earthquake Information";
// "#StationCode", "#StartTime" in Taiwan's time, UTC+8, "#RecordLength", "#SampleRate" in
// Hz), then lines of four fields of ten columns: time, U, N and E in gal.
std::array<FileTrace, 3> read_cwa(std::string_view file, std::string_view bytes);
bool looks_like_cwa(std::string_view bytes);

// AFAD / NSMN: 18 header lines in Windows-1254 (ISO-8859-9) text, the first naming "STRONG
// GROUND MOTION RECORDS OF TURKIYE"; line 7 the station's code, line 12 the first sample's
// time (dd/mm/yyyy hh:mm:ss.ffffff and its zone), line 13 the count, line 14 the interval;
// then rows of N-S, E-W and U-D in gal.
std::array<FileTrace, 3> read_afad(std::string_view file, std::string_view bytes);
bool looks_like_afad(std::string_view bytes);

// UNAM ASA 2.0 ("ARCHIVO ESTANDAR DE ACELERACION" on line 7): "KEY: value" lines, the
// channels' values "/c1/c2/c3", then rows of the three channels in gal.
std::array<FileTrace, 3> read_unam(std::string_view file, std::string_view bytes);
bool looks_like_unam(std::string_view bytes);

// RENADIC (line 8 "UNIVERSIDAD DE CHILE - RENADIC"): three channels in turn, each 13 text
// lines, 7 of integers and 7 of reals, then pairs of time and acceleration in g/10, ten
// fields of seven columns a line, and an end line.
std::array<FileTrace, 3> read_renadic(std::string_view file, std::string_view bytes);
bool looks_like_renadic(std::string_view bytes);

// BHRC V1 (line 1 "* VOL1", line 7 "COMP"): three channels in turn, each 13 text lines, 7 of
// integers and 7 of reals, then accelerations in g/10, ten fields of thirteen columns a line,
// and an end line.
std::array<FileTrace, 3> read_bhrc(std::string_view file, std::string_view bytes);
bool looks_like_bhrc(std::string_view bytes);

}  // namespace wavespec::formats
