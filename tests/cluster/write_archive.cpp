// Writes an archive of COUNT records in mixed formats into DIR, and the list that names them
// (DIR/records.list, one record a line): CSV files, K-NET sets, PEER AT2 triples named RSN...,
// SAC triples in both byte orders (their files on one line, TAB-separated) and MiniSEED files
// where libmseed is built in. Each record has its own length and its own signal, so no two
// records give the same numbers.
//   write_archive DIR COUNT
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats_samples.hpp"

namespace {

namespace fs = std::filesystem;
using namespace wavespec::samples;

// Integer counts of component c of record r: a sine whose frequency and offset follow r.
std::vector<std::int32_t> record_counts(int r, int c, std::size_t n) {
    std::vector<std::int32_t> counts(n);
    for (std::size_t i = 0; i < n; ++i) {
        double phase = 0.05 * static_cast<double>(i) * (c + 1) * (1.0 + 0.01 * r);
        double decay = std::exp(-static_cast<double>(i) / static_cast<double>(n));
        counts[i] = static_cast<std::int32_t>(std::lround(3000.0 * decay * std::sin(phase))) +
                    100 * (c + 1) + r % 7;
    }
    return counts;
}

std::string name_of(const char* prefix, int r) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%04d", prefix, r);
    return text;
}

std::string write_csv(const fs::path& dir, int r, std::size_t n) {
    std::string text = "time,NS,EW,UD\n";
    std::vector<std::int32_t> counts[3] = {record_counts(r, 0, n), record_counts(r, 1, n),
                                           record_counts(r, 2, n)};
    char line[96];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "%.2f,%d,%d,%d\n", 0.01 * static_cast<double>(i),
                      counts[0][i], counts[1][i], counts[2][i]);
        text += line;
    }
    fs::path path = dir / (name_of("c", r) + ".csv");
    write_bytes(path, text);
    return path.string();
}

std::string write_knet(const fs::path& dir, int r, std::size_t n) {
    const char* directions[] = {"N-S", "E-W", "U-D"};
    const char* extensions[] = {"NS", "EW", "UD"};
    std::string base = name_of("KNT", r) + "2001020304";
    for (int c = 0; c < 3; ++c) {
        write_bytes(dir / (base + "." + extensions[c]),
                    knet_text(directions[c], record_counts(r, c, n)));
    }
    return (dir / (base + ".EW")).string();  // any one file of the set names it
}

std::string write_at2(const fs::path& dir, int r, std::size_t n) {
    const char* suffixes[] = {"000", "090", "-UP"};
    std::string base = name_of("RSN", r) + "_TEST_XYZ";
    for (int c = 0; c < 3; ++c) {
        std::string text = "PEER NGA STRONG MOTION DATABASE RECORD\n";
        text += "Test event, 2020, station XYZ, component " + std::to_string(c) + "\n";
        text += "ACCELERATION TIME SERIES IN UNITS OF G\n";
        text += "NPTS=  " + std::to_string(n) + ", DT=   .0050 SEC\n";
        std::vector<std::int32_t> counts = record_counts(r, c, n);
        char number[40];
        for (std::size_t i = 0; i < n; ++i) {
            std::snprintf(number, sizeof number, "  %.15E", counts[i] / 4096.0);
            text += number;
            if (i % 5 == 4 || i + 1 == n) text += "\n";
        }
        write_bytes(dir / (base + suffixes[c] + ".AT2"), text);
    }
    return (dir / (base + "000.AT2")).string();
}

std::string write_sac(const fs::path& dir, int r, std::size_t n) {
    const char* components[] = {"HHN", "HHE", "HHZ"};
    std::string line;
    for (int c = 0; c < 3; ++c) {
        std::vector<float> values;
        for (std::int32_t count : record_counts(r, c, n)) values.push_back(count / 8.0f);
        fs::path path = dir / (name_of("S", r) + "." + components[c] + ".SAC");
        write_bytes(path, sac_bytes(values, 0.01f, components[c], r % 2 == 1));
        line += (c ? "\t" : "") + path.string();
    }
    return line;
}

#ifdef WAVESPEC_HAVE_MSEED
std::string write_mseed(const fs::path& dir, int r, std::size_t n) {
    std::vector<MseedChannel> channels;
    const char* codes[] = {"HHN", "HHE", "HHZ"};
    for (int c = 0; c < 3; ++c) channels.push_back({codes[c], record_counts(r, c, n)});
    fs::path path = dir / (name_of("M", r) + ".mseed");
    write_bytes(path, mseed_bytes(channels));
    return path.string();
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_archive DIR COUNT\n");
        return 2;
    }
    fs::path dir = fs::absolute(argv[1]);
    int count = std::atoi(argv[2]);
    fs::create_directories(dir);
    using Writer = std::string (*)(const fs::path&, int, std::size_t);
    std::vector<Writer> writers = {write_csv, write_knet, write_at2, write_sac};
#ifdef WAVESPEC_HAVE_MSEED
    writers.push_back(write_mseed);
#endif
    std::string list = "# records of our own making, mixed formats\n";
    for (int r = 0; r < count; ++r) {
        std::size_t n = 1500 + 13 * static_cast<std::size_t>(r);
        list += writers[static_cast<std::size_t>(r) % writers.size()](dir, r, n) + "\n";
    }
    write_bytes(dir / "records.list", list);
}
