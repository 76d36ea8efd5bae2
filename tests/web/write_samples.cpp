// Writes the page's sample records into a directory, made as the C++ tests make theirs: the
// bundled example's companions of each format, a file that is no record at all, a StationXML file.
//   write_samples DIR
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "agency_samples.hpp"
#include "formats_samples.hpp"
#include "stationxml_samples.hpp"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    namespace fs = std::filesystem;
    using namespace wavespec::samples;
    fs::path dir = argv[1];
    fs::create_directories(dir);
    write_knet_set(dir, "XYZ0012001020304", 2000);
    write_at2_triple(dir, 3000);
    write_sac_triple(dir, 2500, false);
    // A CSV record of its own at 0.02 s.
    std::vector<std::int32_t> counts[3] = {sample_counts(0, 1500), sample_counts(1, 1500),
                                           sample_counts(2, 1500)};
    // And the same at a thousandth before 10 s, for corners from the signal-to-noise ratio.
    std::string csv = "time,NS,EW,UD\n", quiet = csv;
    char line[80];
    for (std::size_t i = 0; i < 1500; ++i) {
        const double t = 0.02 * static_cast<double>(i), scale = t < 10 ? 1e-3 : 1;
        std::snprintf(line, sizeof line, "%.2f,%d,%d,%d\n", t, counts[0][i], counts[1][i],
                      counts[2][i]);
        csv += line;
        std::snprintf(line, sizeof line, "%.2f,%g,%g,%g\n", t, scale * counts[0][i],
                      scale * counts[1][i], scale * counts[2][i]);
        quiet += line;
    }
    write_bytes(dir / "short.csv", csv);
    write_bytes(dir / "quiet.csv", quiet);
    write_bytes(dir / "broken.csv", "time,NS,EW,UD\n0.00,1,2,3\n0.01,4,five,6\n");
    // An ESM station of three files; a GeoNet V2A file, each component's counts/10 in mm/s^2, ten
    // "%8.1f" a line, the same values standing for its velocity and displacement.
    std::string text, block, codes[3] = {"N28E", "S62E", "UP"}, streams[3] = {"HNN", "HNE", "HNZ"};
    for (int c = 0; c < 3; ++c, block.clear()) {
        write_bytes(dir / ("ACC." + streams[c] + ".txt"),
                    esm_text(streams[c], esm_value_lines(c, 1600)));
        for (std::int32_t count : sample_counts(c, 1400)) {
            std::snprintf(line, sizeof line, "%8.1f", count / 10.0);
            block += line + std::string(block.size() % 81 == 72 ? "\n" : "");
        }
        block.pop_back();
        text += geonet_component(true, codes[c], {block, block, block},
                                 {{30, 1400}, {33, 1400}, {34, 1400}, {35, 1400}}, {{25, "0.01"}});
    }
    write_bytes(dir / "WTMC.V2A", text);
    // The StationXML file of the MiniSEED sample's channels (XX.XYZ..HH?, 100 Hz): accelerometers
    // of a sensitivity alone, the horizontals at azimuths 30 and 120.
    std::string channels;
    for (auto [code, azimuth, dip] : {std::tuple{"HHN", 30, 0}, {"HHE", 120, 0}, {"HHZ", 0, -90}})
        channels +=
            channel(code, "", "2020-01-01T00:00:00", "", 100, 2.5e5, "M/S**2", "", azimuth, dip);
    write_bytes(dir / "station.xml", station_xml(channels));
}
