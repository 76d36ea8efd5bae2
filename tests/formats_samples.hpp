// Sample files of the networks' formats, written by the tests themselves: a K-NET set, PEER
// AT2 triples, SAC triples in either byte order and a MiniSEED file packed with libmseed.
// Values are small integers times simple factors, so each converted value is known exactly.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/bit_cast.hpp"

#ifdef WAVESPEC_HAVE_MSEED
#include <libmseed.h>
#endif

namespace wavespec::samples {

namespace fs = std::filesystem;

inline void write_bytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Integer counts of component c (0, 1, 2), n of them, with an offset in each.
inline std::vector<std::int32_t> sample_counts(int c, std::size_t n) {
    std::vector<std::int32_t> counts(n);
    for (std::size_t i = 0; i < n; ++i) {
        double phase = 0.05 * static_cast<double>(i) * (c + 1);
        counts[i] =
            static_cast<std::int32_t>(std::lround(3000.0 * std::sin(phase))) + 100 * (c + 1);
    }
    return counts;
}

// One K-NET file: the 17 header lines, then the counts 8 per line.
inline std::string knet_text(const std::string& direction, const std::vector<std::int32_t>& counts,
                             const std::string& frequency = "100Hz",
                             const std::string& scale = "3920(gal)/6182761",
                             std::string duration = "") {
    if (duration.empty()) duration = std::to_string(counts.size() / 100);
    std::string text;
    auto field = [&](const std::string& label, const std::string& value) {
        std::string line = label;
        line.resize(18, ' ');
        text += line + value + "\n";
    };
    field("Origin Time", "2020/01/02 03:04:00");
    field("Lat.", "36.000");
    field("Long.", "140.000");
    field("Depth. (km)", "10");
    field("Mag.", "5.0");
    field("Station Code", "XYZ001");
    field("Station Lat.", "36.1000");
    field("Station Long.", "140.1000");
    field("Station Height(m)", "12");
    field("Record Time", "2020/01/02 03:04:10");
    field("Sampling Freq(Hz)", frequency);
    field("Duration Time(s)", duration);
    field("Dir.", direction);
    field("Scale Factor", scale);
    field("Max. Acc. (gal)", "1.000");
    field("Last Correction", "2020/01/02 03:04:08");
    field("Memo.", "");
    for (std::size_t i = 0; i < counts.size(); ++i) {
        std::string number = std::to_string(counts[i]);
        text += std::string(number.size() < 9 ? 9 - number.size() : 1, ' ') + number;
        if (i % 8 == 7 || i + 1 == counts.size()) text += "\n";
    }
    return text;
}

// BASE.NS, BASE.EW, BASE.UD of n counts each.
inline void write_knet_set(const fs::path& dir, const std::string& base, std::size_t n) {
    const char* directions[] = {"N-S", "E-W", "U-D"};
    const char* extensions[] = {"NS", "EW", "UD"};
    for (int c = 0; c < 3; ++c) {
        write_bytes(dir / (base + "." + extensions[c]),
                    knet_text(directions[c], sample_counts(c, n)));
    }
}

// The AT2 values of component c: counts / 4096 g, exact in binary and in decimal text.
inline std::vector<double> at2_values(int c, std::size_t n) {
    std::vector<double> values;
    for (std::int32_t count : sample_counts(c, n)) values.push_back(count / 4096.0);
    return values;
}

// One AT2 file; the fourth line in the NGA-West2 form or in the older "NPTS, DT" form.
inline std::string at2_text(int c, std::size_t n, const std::string& dt = ".0050",
                            bool west2_form = true) {
    std::string text = "PEER NGA STRONG MOTION DATABASE RECORD\n";
    text += "Test event, 2020, station XYZ, component " + std::to_string(c) + "\n";
    text += "ACCELERATION TIME SERIES IN UNITS OF G\n";
    text += west2_form ? "NPTS=  " + std::to_string(n) + ", DT=   " + dt + " SEC\n"
                       : std::to_string(n) + "   " + dt + "   NPTS, DT\n";
    char number[40];
    std::vector<double> values = at2_values(c, n);
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(number, sizeof number, "  %.15E", values[i]);
        text += number;
        if (i % 5 == 4 || i + 1 == n) text += "\n";
    }
    return text;
}

// RSN1063_TEST_XYZ000.AT2, ...090.AT2 and ...-UP.AT2, n values each.
inline std::vector<fs::path> write_at2_triple(const fs::path& dir, std::size_t n) {
    std::vector<fs::path> paths = {dir / "RSN1063_TEST_XYZ000.AT2", dir / "RSN1063_TEST_XYZ090.AT2",
                                   dir / "RSN1063_TEST_XYZ-UP.AT2"};
    for (int c = 0; c < 3; ++c) write_bytes(paths[c], at2_text(c, n));
    return paths;
}

// A SAC header and data: the values as 32-bit floats, in the given byte order.
inline std::string sac_bytes(const std::vector<float>& values, float delta,
                             const std::string& component, bool big_endian,
                             const std::string& station = "XYZ") {
    std::string bytes(632 + 4 * values.size(), '\0');
    auto put = [&](std::size_t offset, std::uint32_t bits) {
        for (int i = 0; i < 4; ++i) {
            int shift = big_endian ? 8 * (3 - i) : 8 * i;
            bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((bits >> shift) & 0xff);
        }
    };
    auto put_int = [&](std::size_t word, std::int32_t v) {
        put(4 * word, bit_cast<std::uint32_t>(v));
    };
    for (std::size_t w = 0; w < 70; ++w) put(4 * w, bit_cast<std::uint32_t>(-12345.0f));
    for (std::size_t w = 70; w < 110; ++w) put_int(w, -12345);
    put(0, bit_cast<std::uint32_t>(delta));
    put_int(76, 6);                                         // nvhdr
    put_int(79, static_cast<std::int32_t>(values.size()));  // npts
    put_int(85, 1);                                         // iftype: time series
    put_int(105, 1);                                        // leven
    for (std::size_t k = 440; k < 632; k += 8) std::memcpy(&bytes[k], "-12345  ", 8);
    auto put_text = [&](std::size_t offset, const std::string& text) {
        std::string field = text;
        field.resize(8, ' ');
        std::memcpy(&bytes[offset], field.data(), 8);
    };
    put_text(440, station);    // kstnm
    put_text(600, component);  // kcmpnm
    put_text(608, "XX");       // knetwk
    for (std::size_t i = 0; i < values.size(); ++i)
        put(632 + 4 * i, bit_cast<std::uint32_t>(values[i]));
    return bytes;
}

inline std::vector<float> sac_values(int c, std::size_t n) {
    std::vector<float> values;
    for (std::int32_t count : sample_counts(c, n))
        values.push_back(static_cast<float>(count) / 8.0f);
    return values;
}

// XYZ.HHN.SAC, XYZ.HHE.SAC, XYZ.HHZ.SAC.
inline std::vector<fs::path> write_sac_triple(const fs::path& dir, std::size_t n, bool big_endian) {
    const char* components[] = {"HHN", "HHE", "HHZ"};
    std::vector<fs::path> paths;
    for (int c = 0; c < 3; ++c) {
        paths.push_back(dir / (std::string("XYZ.") + components[c] + ".SAC"));
        write_bytes(paths.back(), sac_bytes(sac_values(c, n), 0.01f, components[c], big_endian));
    }
    return paths;
}

#ifdef WAVESPEC_HAVE_MSEED
struct MseedChannel {
    std::string channel;
    std::vector<std::int32_t> counts;
    std::int64_t start_us = 1577934240000000;  // 2020-01-02T03:04:00
    double rate = 100.0;
    int encoding = DE_STEIM2;
};

inline void append_record(char* record, int length, void* out) {
    static_cast<std::string*>(out)->append(record, static_cast<std::size_t>(length));
}

// Records of 512 bytes (Steim-2 unless asked otherwise), one channel after the other, station
// XX.XYZ.00.
inline std::string mseed_bytes(const std::vector<MseedChannel>& channels) {
    std::string bytes;
    for (const MseedChannel& channel : channels) {
        MSTrace* trace = mst_init(nullptr);
        std::strcpy(trace->network, "XX");
        std::strcpy(trace->station, "XYZ");
        std::strcpy(trace->location, "00");
        std::strncpy(trace->channel, channel.channel.c_str(), 10);
        trace->starttime = channel.start_us;
        trace->samprate = channel.rate;
        trace->sampletype = 'i';
        trace->numsamples = static_cast<std::int64_t>(channel.counts.size());
        trace->samplecnt = trace->numsamples;
        // The library frees and shifts the samples it packs: they must come from malloc.
        void* data = std::malloc(4 * channel.counts.size() + 4);
        std::memcpy(data, channel.counts.data(), 4 * channel.counts.size());
        trace->datasamples = data;
        std::int64_t packed = 0;
        mst_pack(trace, append_record, &bytes, 512, static_cast<flag>(channel.encoding), 1, &packed,
                 1, 0, nullptr);
        mst_free(&trace);
    }
    return bytes;
}

// XYZ.mseed with the channels HHN, HHE, HHZ of n counts each.
inline fs::path write_mseed_file(const fs::path& dir, std::size_t n) {
    std::vector<MseedChannel> channels;
    const char* codes[] = {"HHN", "HHE", "HHZ"};
    for (int c = 0; c < 3; ++c) channels.push_back({codes[c], sample_counts(c, n)});
    write_bytes(dir / "XYZ.mseed", mseed_bytes(channels));
    return dir / "XYZ.mseed";
}
#endif

}  // namespace wavespec::samples
