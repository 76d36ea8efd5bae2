#include "cli/flatfile_command.hpp"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "cli/command_line.hpp"
#include "cli/flatfile_table.hpp"
#include "cli/option_parser.hpp"
#include "cli/response_options.hpp"
#include "cli/run_json.hpp"
#include "cli/staged_files.hpp"
#include "records/shortest_text.hpp"
#include "records/whole_file.hpp"

namespace wavespec::cli {
namespace {

namespace fs = std::filesystem;

constexpr KnownOption kFlatfileOptions[] = {
    {"output", 'o', true},
    {"periods", 0, true},
    {"help", 'h', false},
};

// A fault that ends the command with status 1 and this line, before anything is written.
struct Refusal {
    std::string line;
};

struct Request {
    std::vector<std::string> directories;
    std::string output;
    std::optional<std::vector<double>> periods;
    bool help = false;
};

Request parse_flatfile_request(std::span<const std::string> args) {
    Request request;
    ParsedArguments parsed = parse_options(args, kFlatfileOptions);
    for (const ParsedOption& option : parsed.options) {
        if (option.long_name == "output") request.output = option.value;
        if (option.long_name == "periods") request.periods = parse_periods("periods", option.value);
        if (option.long_name == "help") request.help = true;
    }
    request.directories = std::move(parsed.operands);
    if (request.help) return request;
    if (request.output.empty()) throw UsageError("flatfile needs -o FILE, the table to write");
    if (request.directories.empty()) throw UsageError("no run directory given");
    return request;
}

std::string text_member(const json::Value& object, const char* key) {
    const json::Value* value = object.find(key);
    if (value == nullptr || value->kind == json::Value::Kind::null) return "";
    return value->text;
}

// The run.json files under dir, its subdirectories walked without following links; the
// tool's temporary names are passed over. A run.json that does not parse is no run.
void gather_runs(const fs::path& dir, std::vector<RunTable>& runs,
                 std::vector<std::string>& left_out) {
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(dir, error))) {
        throw Refusal{dir.generic_string() + ": no such directory"};
    }
    std::vector<fs::path> found;
    if (fs::is_regular_file(fs::symlink_status(dir / kRunFileName, error))) found.push_back(dir);
    for (auto it = fs::recursive_directory_iterator(
             dir, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(".wavespec-")) {
            if (it->is_directory(error) && !it->is_symlink(error)) it.disable_recursion_pending();
            continue;
        }
        if (it->is_directory(error) && !it->is_symlink(error) &&
            fs::is_regular_file(fs::symlink_status(it->path() / kRunFileName, error))) {
            found.push_back(it->path());
        }
    }
    for (const fs::path& directory : found) {
        std::string text;
        if (read_whole_file((directory / kRunFileName).string(), text)) continue;
        std::optional<json::Value> run = json::parse(text);
        const json::Value* record = run ? run->find("record") : nullptr;
        if (record == nullptr || text_member(*record, "stem").empty()) continue;
        std::string missing;
        if (!listed_outputs_present(*run, directory, &missing)) {
            left_out.push_back(directory.generic_string() + ": run.json lists " + missing +
                               ", which is not there at its size; the record is left out");
            continue;
        }
        runs.push_back(
            {text_member(*record, "stem"), directory, std::move(*run), {}, {}, {}, {}, {}, {}});
    }
}

// The columns of SA: every period of the first damping, SA(T); then SA(T,ζ) of the others.
struct Grid {
    std::vector<std::string> dampings, periods;
};

// The grid every run must share: the first run's, or its periods that --periods names.
Grid shared_grid(const std::vector<RunTable>& runs, const Request& request) {
    Grid grid{runs.front().dampings, runs.front().periods};
    if (request.periods) {
        grid.periods.clear();
        for (double period : *request.periods) grid.periods.push_back(shortest_text(period));
    }
    for (const RunTable& run : runs) {
        if (run.dampings != grid.dampings) {
            throw Refusal{run.directory.generic_string() + ": its dampings are not those of " +
                          runs.front().directory.generic_string()};
        }
        if (!request.periods && run.periods != grid.periods) {
            throw Refusal{run.directory.generic_string() + ": its periods are not those of " +
                          runs.front().directory.generic_string() +
                          " (choose some with --periods)"};
        }
        for (const std::string& period : grid.periods) {
            if (!grid.dampings.empty() && !run.psa.count({grid.dampings.front(), period})) {
                throw Refusal{run.directory.generic_string() + ": no period " + period + " s"};
            }
        }
    }
    return grid;
}

std::string header(const Grid& grid) {
    std::string line =
        "stem,component,files,format,network,station,location,channels,start,dt,nt,units,"
        "highpass,lowpass,PGA,PGV,PGD,Arias,D5-75,D5-95,CAV";
    for (std::size_t d = 0; d < grid.dampings.size(); ++d) {
        for (const std::string& period : grid.periods) {
            line += "," + csv_field("SA(" + period + (d == 0 ? "" : "," + grid.dampings[d]) + ")");
        }
    }
    return line + "\n";
}

std::string joined(const json::Value* list, const char* key) {
    std::string out;
    if (list == nullptr) return out;
    for (const json::Value& item : list->items) {
        const std::string& text = key ? text_member(item, key) : item.text;
        out += (out.empty() ? "" : ";") + text;
    }
    return out;
}

// The fields every row of the record shares after its component, from files to units.
std::string record_fields(const RunTable& run) {
    const json::Value& record = *run.run.find("record");
    std::vector<std::string> fields = {
        joined(run.run.find("inputs"), "name"),
        text_member(record, "format"),
        text_member(record, "network"),
        text_member(record, "station"),
        text_member(record, "location"),
        joined(record.find("components"), nullptr),
        text_member(record, "start"),
        text_member(record, "dt"),
        text_member(record, "nt"),
        text_member(record, "units"),
    };
    std::string out;
    for (const std::string& field : fields) out += csv_field(field) + ",";
    return out;
}

// A component's filter corners, from processing.txt (--bandpass's trapezoid has no such
// corners: empty). The rotations are of the horizontals, whose corners are H1's (the options
// and tables give all components one pair, the noise the horizontals one pair).
std::string corner_fields(const RunTable& run, std::size_t component) {
    std::size_t c = component < 3 ? component : 0;
    return run.highpass[c] + "," + run.lowpass[c] + ",";
}

std::string rows_of(const RunTable& run, const Grid& grid) {
    std::string out;
    std::string shared = record_fields(run);
    std::size_t components = run.psa.empty() ? 3 : kFlatfileComponents.size();
    for (std::size_t c = 0; c < components; ++c) {
        std::string line = csv_field(run.stem) + "," + kFlatfileComponents[c] + "," + shared +
                           corner_fields(run, c);
        for (std::size_t m = 0; m < kMeasureCount; ++m) {
            if (m) line += ",";
            if (c < 3 && !run.measures[c].empty()) line += run.measures[c][m];
        }
        for (const std::string& damping : grid.dampings) {
            for (const std::string& period : grid.periods) {
                line += "," + run.psa.at({damping, period})[c];
            }
        }
        out += line + "\n";
    }
    return out;
}

// The table under a temporary name beside FILE, renamed to FILE once whole.
void write_table(const std::string& file, const std::string& text) {
    fs::path target(file);
    fs::path temporary = target.parent_path() / (".wavespec-" + unique_staging_token() + ".tmp");
    std::ofstream out(temporary, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    std::error_code error;
    if (!out) {
        fs::remove(temporary, error);
        throw Refusal{file + ": cannot write it"};
    }
    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, error);
        throw Refusal{file + ": cannot write it: " + error.message()};
    }
}

int make_flatfile(const Request& request) {
    std::vector<RunTable> runs;
    std::vector<std::string> left_out;
    for (const std::string& dir : request.directories) gather_runs(dir, runs, left_out);
    for (const std::string& line : left_out)
        std::fprintf(stderr, "wavespec flatfile: %s\n", line.c_str());
    if (runs.empty()) {
        throw Refusal{"no run (no complete run.json) under the directories given; nothing written"};
    }
    std::stable_sort(runs.begin(), runs.end(),
                     [](const RunTable& a, const RunTable& b) { return a.stem < b.stem; });
    for (std::size_t i = 1; i < runs.size(); ++i) {
        if (runs[i].stem == runs[i - 1].stem) {
            throw Refusal{"the stem '" + runs[i].stem + "' is both " +
                          runs[i - 1].directory.generic_string() + " and " +
                          runs[i].directory.generic_string()};
        }
    }
    for (RunTable& run : runs) {
        if (auto why = read_run_table(run)) throw Refusal{*why};
    }
    Grid grid = shared_grid(runs, request);
    std::string text = header(grid);
    for (const RunTable& run : runs) text += rows_of(run, grid);
    write_table(request.output, text);
    return left_out.empty() ? kSuccess : kSomeRecordFailed;
}

}  // namespace

int run_flatfile(std::span<const std::string> args) {
    Request request;
    try {
        request = parse_flatfile_request(args);
        if (request.help) return print_help("flatfile");
    } catch (const UsageError& error) {
        report_usage_error("flatfile", error.what());
        return kUsageError;
    }
    try {
        return make_flatfile(request);
    } catch (const Refusal& refusal) {
        std::fprintf(stderr, "wavespec flatfile: %s\n", refusal.line.c_str());
        return kSomeRecordFailed;
    }
}

}  // namespace wavespec::cli
