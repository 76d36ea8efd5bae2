// Writes the page's sample records into a directory, made as the C++ tests make theirs: the
// bundled example's companions of each format and a file that is no record at all.
//   write_samples DIR
#include <cstdio>
#include <string>
#include <vector>

#include "formats_samples.hpp"

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
    std::string csv = "time,NS,EW,UD\n";
    char line[80];
    for (std::size_t i = 0; i < 1500; ++i) {
        std::snprintf(line, sizeof line, "%.2f,%d,%d,%d\n", 0.02 * static_cast<double>(i),
                      counts[0][i], counts[1][i], counts[2][i]);
        csv += line;
    }
    write_bytes(dir / "short.csv", csv);
    write_bytes(dir / "broken.csv", "time,NS,EW,UD\n0.00,1,2,3\n0.01,4,five,6\n");
}
