// Sample files of the agencies' text formats, written by the tests from the formats' public
// descriptions: each header field where the description puts it, values chosen so that each
// converted sample is known exactly.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace wavespec::samples {

// An ESM ASCII file of one stream: the header lines in the database's order, `changes`
// replacing a key's value (or, with the value "<none>", leaving its line out), then the values'
// lines as given.
inline std::string esm_text(const std::string& stream, const std::vector<std::string>& value_lines,
                            const std::vector<std::pair<std::string, std::string>>& changes = {}) {
    std::vector<std::pair<std::string, std::string>> header = {
        {"EVENT_NAME", "CENTRAL ITALY"},
        {"EVENT_ID", "IT-2016-0001"},
        {"EVENT_DATE_YYYYMMDD", "20161030"},
        {"EVENT_TIME_HHMMSS", "064017"},
        {"EVENT_LATITUDE_DEGREE", "42.8322"},
        {"EVENT_LONGITUDE_DEGREE", "13.1107"},
        {"EVENT_DEPTH_KM", "9.2"},
        {"MAGNITUDE_W", "6.5"},
        {"NETWORK", "IT"},
        {"STATION_CODE", "ACC"},
        {"STATION_NAME", "ACCUMOLI"},
        {"LOCATION", ""},
        {"EPICENTRAL_DISTANCE_KM", "24.6"},
        {"DATE_TIME_FIRST_SAMPLE_YYYYMMDD_HHMMSS", "20161030_064004.250"},
        {"DATE_TIME_FIRST_SAMPLE_PRECISION", "milliseconds"},
        {"SAMPLING_INTERVAL_S", "0.005000"},
        {"NDATA", std::to_string(value_lines.size())},
        {"DURATION_S", std::to_string(value_lines.size() * 5 / 1000) + "." +
                           std::to_string(value_lines.size() * 5 % 1000 + 1000).substr(1)},
        {"STREAM", stream},
        {"UNITS", "cm/s^2"},
        {"INSTRUMENT", "HN"},
        {"PGA_CM/S^2", "-4.500000"},
        {"TIME_PGA_S", "0.010000"},
        {"BASELINE_CORRECTION", "BASELINE REMOVED"},
        {"FILTER_TYPE", "BUTTERWORTH"},
        {"FILTER_ORDER", "2"},
        {"LOW_CUT_FREQUENCY_HZ", "0.050"},
        {"HIGH_CUT_FREQUENCY_HZ", "30.000"},
        {"DATA_TYPE", "ACCELERATION"},
        {"PROCESSING", "manual"},
        {"USER1", ""},
    };
    for (const auto& [key, value] : changes) {
        bool found = false;
        for (auto& field : header) {
            if (field.first == key) {
                field.second = value;
                found = true;
            }
        }
        if (!found) header.emplace_back(key, value);
    }
    std::string text;
    for (const auto& [key, value] : header) {
        if (value != "<none>") text += key + ": " + value + "\n";
    }
    for (const std::string& line : value_lines) text += line + "\n";
    return text;
}

// The values of the ESM samples: small multiples of 1/8, each exact in decimal and binary.
inline std::vector<std::string> esm_value_lines(int c, std::size_t n) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < n; ++i) {
        long eighths = static_cast<long>((i * 7 + static_cast<std::size_t>(c) * 3) % 41) - 20;
        std::string text =
            std::to_string(static_cast<double>(eighths) / 8.0);  // "%f": six decimals, exact here
        lines.push_back(text);
    }
    return lines;
}

// One data block of a COSMOS channel: its introducing line's word, units code and layout, and
// its value lines as written.
struct CosmosBlock {
    std::string word;  // "acceleration", "velocity", "displacement", "raw accel."
    int units_code = 4;
    std::string layout = "(8F10.5)";
    std::size_t count = 0;
    std::vector<std::string> lines;
};

// One COSMOS channel: the 13 text lines (station CE 13921 on line 5, unknown -999 on line 13),
// the integer header (10I8) and real header (6F13.6) with the values given by place (counted
// from 0), one comment line, then the blocks.
inline std::string cosmos_channel(int level, int orientation,
                                  const std::vector<CosmosBlock>& blocks,
                                  std::map<int, std::string> integers = {},
                                  std::map<int, std::string> reals = {},
                                  const std::string& comment = "| written by the tests") {
    static const char* kKinds[] = {"Raw acceleration counts  ", "Uncorrected accelerogram ",
                                   "Corrected accelerogram   ", "Response spectra         "};
    std::string text =
        std::string(kKinds[level]) + " (Format v01.20 with 13 text lines) Src: test\n";
    text += "Test earthquake, 2020\n";
    text += "Hypocenter: 36.000 -120.000 H=10km\n";
    text += "Origin: 01/02/2020 03:04:00.0 UTC\n";
    text +=
        "Statn No: 05- 13921 Code:CE-13921  Test station\n";  // network cols 26-27, station 29-34
    for (int i = 6; i <= 12; ++i) text += "Text line " + std::to_string(i) + "\n";
    text += "Values used when parameter or data value is unknown/unspecified:   -999, -999.0\n";
    std::map<int, std::string> defaults_int = {{0, std::to_string(level)},
                                               {2, "4"},
                                               {39, "2020"},
                                               {40, "2"},
                                               {41, "1"},
                                               {42, "2"},
                                               {43, "3"},
                                               {44, "4"},
                                               {53, std::to_string(orientation)}};
    for (auto& [k, v] : integers) defaults_int[k] = v;
    text += " 100 Integer-header values follow on  10 lines, Format= (10I8)\n";
    char field[64];
    for (int i = 0; i < 100; ++i) {
        auto it = defaults_int.find(i);
        std::snprintf(field, sizeof field, "%8s",
                      it == defaults_int.end() ? "-999" : it->second.c_str());
        text += field;
        if (i % 10 == 9) text += "\n";
    }
    std::map<int, std::string> defaults_real = {
        {29, "10.250000"}, {61, "10.000000"}, {62, "0.060000"}, {63, "-123.456780"},
        {64, "0.010000"},  {53, "0.100000"},  {56, "25.000000"}};
    for (auto& [k, v] : reals) defaults_real[k] = v;
    text += " 100 Real-header values follow on  17 lines, Format= (6F13.6)\n";
    for (int i = 0; i < 100; ++i) {
        auto it = defaults_real.find(i);
        std::snprintf(field, sizeof field, "%13s",
                      it == defaults_real.end() ? "-999.000000" : it->second.c_str());
        text += field;
        if (i % 6 == 5 || i == 99) text += "\n";
    }
    text += "   1 Comment line(s) follow, each starting with a \"|\":\n" + comment + "\n";
    for (const CosmosBlock& block : blocks) {
        std::snprintf(field, sizeof field, "%6zu", block.count);
        text += std::string(field) + " " + block.word + " pts, approx    0 secs, units=cm (" +
                (block.units_code < 10 ? "0" : "") + std::to_string(block.units_code) +
                "), Format=" + block.layout + "\n";
        for (const std::string& line : block.lines) text += line + "\n";
        text += "End-of-data for Chan  1 " + block.word + "\n";
    }
    return text;
}

// One SMC file: eleven text lines (station ABCD), 48 integers (8I10), 50 reals (5E15.7), the
// comment lines, then the value lines as given; the integers' and reals' values by place
// (counted from 0), -32768 and -1.0e30 standing for missing.
inline std::string smc_text(int volume, const std::vector<std::string>& value_lines, int count,
                            std::map<int, long> integers = {},
                            std::map<int, std::string> reals = {}) {
    std::string text = volume == 1 ? "1 UNCORRECTED ACCELEROGRAM\n" : "2 CORRECTED ACCELEROGRAM\n";
    text += "EARTHQUAKE OF TEST\n";
    text += "ABCD  test station\n";
    for (int i = 4; i <= 10; ++i) text += "text line " + std::to_string(i) + "\n";
    text += "*\n";
    std::map<int, long> ints = {{0, -32768}, {1, 2020}, {2, 33},  {3, 3},  {4, 4},     {5, 10},
                                {6, 250},    {12, 90},  {13, 90}, {15, 1}, {16, count}};
    for (auto& [k, v] : integers) ints[k] = v;
    char field[64];
    for (int i = 0; i < 48; ++i) {
        auto it = ints.find(i);
        std::snprintf(field, sizeof field, "%10ld", it == ints.end() ? -32768L : it->second);
        text += field;
        if (i % 8 == 7) text += "\n";
    }
    std::map<int, std::string> values = {{0, "-1.0000000E+30"}, {1, "2.0000000E+02"}};
    for (auto& [k, v] : reals) values[k] = v;
    for (int i = 0; i < 50; ++i) {
        auto it = values.find(i);
        std::snprintf(field, sizeof field, "%15s",
                      it == values.end() ? "-1.0000000E+30" : it->second.c_str());
        text += field;
        if (i % 5 == 4) text += "\n";
    }
    text += "| written by the tests\n";
    for (const std::string& line : value_lines) text += line + "\n";
    return text;
}

// One GeoNet component: 16 text lines (station WTMC, the component on line 13), 40 integers
// (10I8) and 60 reals (10F8) with the values given by place (counted from 0), then the value
// lines of its blocks as given.
inline std::string geonet_component(bool corrected, const std::string& component,
                                    const std::vector<std::string>& value_lines,
                                    std::map<int, long> integers = {},
                                    std::map<int, std::string> reals = {}) {
    std::string text = std::string("GNS Science  ") +
                       (corrected ? "Corrected accelerogram" : "Uncorrected accelerogram") +
                       "  test\n";
    text += "Site  WTMC  Test site\n";
    for (int i = 3; i <= 12; ++i) text += "heading line " + std::to_string(i) + "\n";
    text += "Component " + component + "  test\n";
    for (int i = 14; i <= 16; ++i) text += "heading line " + std::to_string(i) + "\n";
    std::map<int, long> ints = {{8, 2020},   {9, 1},  {18, 2}, {19, 3}, {38, 4},
                                {39, 10250}, {30, 4}, {33, 4}, {34, 4}, {35, 4}};
    for (auto& [k, v] : integers) ints[k] = v;
    char field[64];
    for (int i = 0; i < 40; ++i) {
        auto it = ints.find(i);
        std::snprintf(field, sizeof field, "%8ld", it == ints.end() ? 0L : it->second);
        text += field;
        if (i % 10 == 9) text += "\n";
    }
    std::map<int, std::string> values = {{25, "0.005"}};
    for (auto& [k, v] : reals) values[k] = v;
    for (int i = 0; i < 60; ++i) {
        auto it = values.find(i);
        std::snprintf(field, sizeof field, "%8s", it == values.end() ? "0." : it->second.c_str());
        text += field;
        if (i % 10 == 9) text += "\n";
    }
    for (const std::string& line : value_lines) text += line + "\n";
    return text;
}

// Header lines of fixed fields, zero where `values` gives none: `count` fields of `width`
// columns, `per_line` a line, each value right-aligned in its field.
inline std::string fixed_header(int count, int per_line, int width,
                                const std::map<int, std::string>& values = {}) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        auto it = values.find(i);
        std::string value = it == values.end() ? "0" : it->second;
        text += std::string(static_cast<std::size_t>(width) - value.size(), ' ') + value;
        if (i % per_line == per_line - 1 || i + 1 == count) text += "\n";
    }
    return text;
}

// One CSMIP channel: V2 (25 text lines, 100 integers, 100 reals, then its blocks) or V1 (13
// text lines, 100 integers, 50 reals). Each block is its "points of" line and its value lines.
inline std::string csmip_channel(
    int volume, const std::string& direction, const std::vector<std::string>& blocks,
    const std::string& start = "Rcrd of Thu Jul  4, 2019 23:33:48.0 PDT (UTC: 06:33:48.0)") {
    std::vector<std::string> text;
    if (volume == 2) {
        text = {"Corrected accelerogram            24611-S1234-19185.01   CGS",
                "Uncorrected accelerogram data     Processed: 07/10/19"};
    } else {
        text = {"Uncorrected accelerogram data     24611-S1234-19185.01   CGS"};
    }
    text.push_back("Earthquake of Thu Jul  4, 2019 23:33 PDT");
    text.push_back(start);
    text.push_back("Station No. 24611  35.788N, 117.601W   Etna Accelerograph");
    text.push_back("Test station");
    text.push_back("Chan  1:  " + direction + " Deg    Location: Ground level");
    text.push_back("Peak acceleration =  -2.500 cm/sec2 at  0.020 sec");
    text.push_back("Peak velocity =  0.125 cm/sec at  0.030 sec");
    while (text.size() < (volume == 2 ? 25u : 13u)) text.push_back("text line");
    std::string file;
    for (const std::string& line : text) file += line + "\n";
    file += fixed_header(100, 16, 5);
    if (volume == 2) {
        file += fixed_header(100, 8, 10, {{61, "0.100"}, {72, "40.000"}});
    } else {
        file += fixed_header(50, 8, 10);
    }
    for (const std::string& block : blocks) file += block;
    return file + "/&  ---------- End of data for channel  1 ----------\n";
}

// A CWA file: its "#" header, then rows of time, U, N, E, ten columns each.
inline std::string cwa_text(const std::vector<std::string>& rows,
                            const std::string& start = "2018/02/06-23:50:41.250",
                            const std::string& length = "0.03") {
    std::string text = "#Earthquake Information\n#StationCode: HWA019\n#StationName: test\n";
    text += "#StartTime: " + start + "\n#RecordLength(sec): " + length + "\n";
    text += "#SampleRate(Hz): 100\n#AmplitudeUnit: gal\n#Data: 4F10.3\n";
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

// An AFAD file: 18 header lines (the station's name in Windows-1254), then rows of N-S, E-W,
// U-D.
inline std::string afad_text(const std::vector<std::string>& rows, const std::string& start,
                             const std::string& count) {
    std::vector<std::string> header = {
        "STRONG GROUND MOTION RECORDS OF TURKIYE",
        "STATION NAME : \xDD\x7A\x6D\x69\x72 \xDE\x65\x68\x69\x72",  // Izmir Sehir, Turkish letters
        "PLACE : test",
        "EARTHQUAKE : test",
        "EPICENTER : 38.0 27.0",
        "DEPTH : 10",
        "STATION ID : 3513",
        "STATION COORD : 38.4 27.1",
        "ALTITUDE : 30",
        "RECORDER TYPE : test",
        "SERIAL NO : 1",
        "RECORD TIME : " + start,
        "NUMBER OF DATA : " + count,
        "SAMPLING INTERVAL : 0.01",
        "RAW PGA : test",
        "comments",
        "comments",
        "N-S E-W U-D"};
    std::string text;
    for (const std::string& line : header) text += line + "\n";
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

// A UNAM ASA 2.0 file: its "KEY: value" header, then rows of the three channels.
inline std::string unam_text(const std::vector<std::string>& rows, const std::string& count,
                             const std::string& first = "00:00:05.5") {
    std::vector<std::string> header = {
        "ESTACION: test",
        "",
        "INSTITUTO DE INGENIERIA, UNAM",
        "",
        "",
        "",
        "ARCHIVO ESTANDAR DE ACELERACION (ASA 2.0)",
        "NOMBRE DE LA ESTACION: CU",
        "CLAVE DE LA ESTACION: CUP5",
        "COORDENADAS DE LA ESTACION: 19.33 LAT. N",
        "                          : 99.18 LON. W",
        "FECHA DEL SISMO [GMT]: 2017/09/19",
        "HORA EPICENTRO (GMT): 23:59:50.0",
        "ORIENTACION C1-C6 (rumbo;orientacion): N00E;+/V;+/N90W;+",
        "NUM. TOTAL DE MUESTRAS, C1-C6: /" + count + "/" + count + "/" + count,
        "INTERVALO DE MUESTREO, C1-C6 (s): /0.01/0.01/0.01",
        "HORA DE LA PRIMERA MUESTRA (GMT): " + first,
        "COMENTARIOS:",
        "--------"};
    std::string text;
    for (const std::string& line : header) text += line + "\n";
    for (const std::string& row : rows) text += row + "\n";
    return text;
}

// One RENADIC channel: 13 text lines, 7 integer and 7 real lines, the (time, g/10) pairs'
// lines and an end line.
inline std::string renadic_channel(const std::string& code, const std::string& count_line,
                                   const std::vector<std::string>& data_lines) {
    std::vector<std::string> text = {"PROCESSED: 2010",
                                     "t",
                                     "t",
                                     "2/27/2010 6:34:14.500 GMT",
                                     "LAT 0.0S 0.0W",
                                     "VI\xD1"
                                     "A DEL MAR S/N 675 VINA",
                                     "CHANNEL  " + code + " test",
                                     "UNIVERSIDAD DE CHILE - RENADIC",
                                     "t",
                                     "INSTR PERIOD = 0.05 SEC, DAMPING = 0.6, SENSITIVITY = 1.0",
                                     count_line,
                                     "t",
                                     "t"};
    std::string file;
    for (const std::string& line : text) file += line + "\n";
    file += fixed_header(100, 16, 5) + fixed_header(50, 8, 10);
    for (const std::string& line : data_lines) file += line + "\n";
    return file + "END OF CHANNEL\n";
}

// One BHRC channel: 13 text lines, 7 integer and 7 real lines, the g/10 values' lines and an
// end line.
inline std::string bhrc_channel(const std::string& component,
                                const std::vector<std::string>& data_lines) {
    std::vector<std::string> text = {"* VOL1DS : ABHR / test",
                                     "INSTRUMENT = SSA-2",
                                     "t",
                                     "t",
                                     component,
                                     "t",
                                     "COMP test",
                                     "Abhar Station 36.15 49.22 1600 125 215",
                                     "t",
                                     "PERIOD 0.05 DAMPING 0.6",
                                     "NPTS 3 DURATION 0.02",
                                     "t",
                                     "t"};
    std::string file;
    for (const std::string& line : text) file += line + "\n";
    file += fixed_header(100, 16, 5) + fixed_header(50, 8, 10);
    for (const std::string& line : data_lines) file += line + "\n";
    return file + "/& END OF CHANNEL\n";
}

}  // namespace wavespec::samples
