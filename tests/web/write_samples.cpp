// Writes the page's sample records into a directory, made as the C++ tests make theirs: the
// bundled example's companions of each format and a file that is no record at all; and into
// DIR/inventory/ a SAC record in counts with the StationXML file that describes it.
//   write_samples DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "agency_samples.hpp"
#include "formats_samples.hpp"
#include "stationxml_samples.hpp"

namespace {

using namespace wavespec::samples;

// Fixed-width value lines: `per_line` values of component c's counts divided by `scale`, each
// printed by `field` (a printf format of one field).
std::vector<std::string> fixed_lines(int c, std::size_t n, double scale, int per_line,
                                     const char* field) {
    std::vector<std::string> lines;
    std::string line;
    char text[32];
    std::vector<std::int32_t> counts = sample_counts(c, n);
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, field, counts[i] / scale);
        line += text;
        if ((i + 1) % static_cast<std::size_t>(per_line) == 0 || i + 1 == n) {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

// COSMOS V2: one file of three channels, each with acceleration, velocity and displacement.
std::string cosmos_v2(std::size_t n) {
    std::string text;
    const int orientations[3] = {360, 90, 400};
    char duration[32];  // real 63, the record's length at 0.01 s a sample
    std::snprintf(duration, sizeof duration, "%.6f", 0.01 * static_cast<double>(n));
    for (int c = 0; c < 3; ++c) {
        std::vector<CosmosBlock> blocks;
        const char* words[3] = {"acceleration", "velocity", "displacement"};
        for (int q = 0; q < 3; ++q) {
            blocks.push_back({words[q], 4 + q, "(8F10.5)", n,
                              fixed_lines((c + q) % 3, n, 100.0 * (q + 1), 8, "%10.5f")});
        }
        text += cosmos_channel(2, orientations[c], blocks, {}, {{62, duration}});
    }
    return text;
}

// GeoNet V2A: three components in one file, each with its three quantities (mm/s^2, mm/s, mm).
std::string geonet_v2a(std::size_t n) {
    std::string text;
    const char* components[3] = {"N28E", "S62E", "UP"};
    const long count = static_cast<long>(n);
    for (int c = 0; c < 3; ++c) {
        std::vector<std::string> lines;
        for (int q = 0; q < 3; ++q) {
            auto block = fixed_lines((c + q) % 3, n, 10.0 * (q + 1), 10, "%8.3f");
            lines.insert(lines.end(), block.begin(), block.end());
        }
        text +=
            geonet_component(true, components[c], lines,
                             {{30, count}, {33, count}, {34, count}, {35, count}}, {{25, "0.01"}});
    }
    return text;
}

// SAC files of station XYZ in counts whose first sample is at 2020-02-03T04:05:00.5, and
// accelerometers of a sensitivity alone for them, the horizontals at azimuths 30 and 120.
void write_inventory_sample(const fs::path& dir, std::size_t n) {
    fs::create_directories(dir);
    std::string channels;
    for (int c = 0; c < 3; ++c) {
        std::string component = std::string("HH") + "NEZ"[c];
        std::string bytes = sac_bytes(sac_values(c, n), 0.01f, component, false);
        auto put_int = [&](std::size_t word, std::int32_t v) {
            std::memcpy(&bytes[4 * word], &v, 4);
        };
        const std::int32_t time[6] = {2020, 34, 4, 5, 0, 0};
        for (std::size_t i = 0; i < 6; ++i) put_int(70 + i, time[i]);
        const float begin = 0.5f;
        std::memcpy(&bytes[4 * 5], &begin, 4);
        put_int(86, 5);  // idep: unknown, the counts as recorded
        write_bytes(dir / ("XYZ." + component + ".SAC"), bytes);
        const double azimuth = c == 0 ? 30 : c == 1 ? 120 : 0, dip = c == 2 ? -90 : 0;
        channels += channel(component, "", "2020-01-01T00:00:00", "", 100, 2.5e5, "M/S**2", "",
                            azimuth, dip);
    }
    write_bytes(dir / "station.xml", station_xml(channels));
}

// A CSV record of 10 s of small noise, then 30 s of motion from 0.2 to 12 Hz, for corners
// chosen from the signal-to-noise ratio (the arrival at 10 s).
std::string quiet_then_motion() {
    std::string csv = "time,NS,EW,UD\n";
    std::uint32_t state = 12345;
    auto noise = [&] {
        state = state * 1664525u + 1013904223u;  // a linear congruential sequence
        return (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 0.02;
    };
    const double frequencies[] = {0.2, 0.7, 1.5, 3.0, 6.0, 12.0};
    char line[120];
    for (int i = 0; i < 4000; ++i) {
        const double t = 0.01 * i;
        double value[3];
        for (int c = 0; c < 3; ++c) {
            double motion = 0.0;
            if (t >= 10.0) {
                for (double f : frequencies) motion += std::sin(2 * 3.141592653589793 * f * t + c);
            }
            value[c] = motion + noise();
        }
        std::snprintf(line, sizeof line, "%.2f,%.6f,%.6f,%.6f\n", t, value[0], value[1], value[2]);
        csv += line;
    }
    return csv;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    fs::path dir = argv[1];
    fs::create_directories(dir);
    write_knet_set(dir, "XYZ0012001020304", 2000);
    write_at2_triple(dir, 3000);
    write_sac_triple(dir, 2500, false);
    // A CSV record of its own at 0.02 s.
    std::vector<std::int32_t> counts[3] = {sample_counts(0, 1500), sample_counts(1, 1500),
                                           sample_counts(2, 1500)};
    std::string csv = "time,NS,EW,UD\n";
    char line[80];
    for (std::size_t i = 0; i < 1500; ++i) {
        std::snprintf(line, sizeof line, "%.2f,%d,%d,%d\n", 0.02 * static_cast<double>(i),
                      counts[0][i], counts[1][i], counts[2][i]);
        csv += line;
    }
    write_bytes(dir / "short.csv", csv);
    write_bytes(dir / "quiet.csv", quiet_then_motion());
    write_bytes(dir / "broken.csv", "time,NS,EW,UD\n0.00,1,2,3\n0.01,4,five,6\n");
    // The agencies' formats: an ESM station of three files, COSMOS V2 and GeoNet V2A files.
    const char* streams[3] = {"HNN", "HNE", "HNZ"};
    for (int c = 0; c < 3; ++c) {
        write_bytes(dir / (std::string("ACC.") + streams[c] + ".txt"),
                    esm_text(streams[c], esm_value_lines(c, 1600)));
    }
    write_bytes(dir / "CE13921.v2", cosmos_v2(1200));
    write_bytes(dir / "WTMC.V2A", geonet_v2a(1400));
    write_inventory_sample(dir / "inventory", 2400);
}
