// One record's rows of a flatfile, read back from the files its run wrote: measures.csv's
// numbers, response.csv's PSA, by component, damping and period, and processing.txt's corners.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/json_text.hpp"

namespace wavespec::cli {

// H1, H2 and V (the record's components in their order), then the horizontals' rotations.
inline constexpr std::array<const char*, 8> kFlatfileComponents = {
    "H1", "H2", "V", "RotD00", "RotD50", "RotD100", "GMRotD50", "GMRotI50"};
inline constexpr std::size_t kMeasureCount = 7;  // PGA, PGV, PGD, Arias, D5-75, D5-95, CAV

struct RunTable {
    std::string stem;
    std::filesystem::path directory;
    json::Value run;  // its run.json
    // measures[c]: the seven numbers of component c (H1, H2, V), as text; empty without.
    std::array<std::vector<std::string>, 3> measures;
    std::vector<std::string> dampings;  // as response.csv writes them, in its order
    std::vector<std::string> periods;   // of the first damping, in its order
    // Each component's filter corners in Hz (H1, H2, V), from processing.txt; empty where
    // not filtered or not processed.
    std::array<std::string, 3> highpass, lowpass;
    // PSA text by (damping, period) text, one per component of kFlatfileComponents.
    std::map<std::pair<std::string, std::string>, std::array<std::string, 8>> psa;
};

// Reads measures.csv, response.csv and processing.txt where the run wrote them; a line naming
// the file and the place when one cannot be read.
std::optional<std::string> read_run_table(RunTable& table);

// The field as RFC 4180 writes it: quoted, with its quotes doubled, when it holds a comma,
// a quote or a line end.
std::string csv_field(const std::string& text);

}  // namespace wavespec::cli
