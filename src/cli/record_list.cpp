#include "cli/record_list.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

#include "cli/option_parser.hpp"
#include "formats/file_trace.hpp"
#include "formats/record_sets.hpp"

namespace wavespec::cli {
namespace {

// The largest N taken: far more tasks than any array holds, far fewer than overflow.
constexpr std::uint64_t kMostShards = 1'000'000'000;

std::vector<ListedRecord> split_list(const std::string& text) {
    std::vector<ListedRecord> records;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        ListedRecord record;
        for (std::size_t from = 0;;) {
            std::size_t tab = line.find('\t', from);
            record.emplace_back(
                line.substr(from, tab == std::string_view::npos ? tab : tab - from));
            if (tab == std::string_view::npos) break;
            from = tab + 1;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::optional<std::uint64_t> whole_number(std::string_view text) {
    std::uint64_t value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

Shard checked(Shard shard, const std::string& what) {
    if (shard.count == 0 || shard.count > kMostShards || shard.index >= shard.count) {
        throw UsageError("--shard=" + what + ": K must be 0 <= K < N, with N from 1 to " +
                         std::to_string(kMostShards));
    }
    return shard;
}

// A Slurm variable as a number; nothing where it is unset.
std::optional<std::uint64_t> slurm_number(const std::function<const char*(const char*)>& getenv,
                                          const char* name) {
    const char* text = getenv(name);
    if (text == nullptr) return std::nullopt;
    if (auto value = whole_number(text)) return value;
    throw UsageError(std::string("--shard=slurm: ") + name + " is '" + text +
                     "', not a whole number");
}

Shard slurm_shard(const std::function<const char*(const char*)>& getenv) {
    auto id = slurm_number(getenv, "SLURM_ARRAY_TASK_ID");
    auto first = slurm_number(getenv, "SLURM_ARRAY_TASK_MIN").value_or(0);
    auto last = slurm_number(getenv, "SLURM_ARRAY_TASK_MAX");
    auto count = slurm_number(getenv, "SLURM_ARRAY_TASK_COUNT");
    auto step = slurm_number(getenv, "SLURM_ARRAY_TASK_STEP");
    if (!id || (!count && !last)) {
        throw UsageError(
            "--shard=slurm needs SLURM_ARRAY_TASK_ID and SLURM_ARRAY_TASK_COUNT or "
            "SLURM_ARRAY_TASK_MAX: run it as a task of an array (sbatch --array)");
    }
    if (step && *step != 1) {
        throw UsageError("--shard=slurm takes arrays of step 1, not SLURM_ARRAY_TASK_STEP=" +
                         std::to_string(*step));
    }
    if (*id < first || (last && *last < first)) {
        throw UsageError("--shard=slurm: SLURM_ARRAY_TASK_ID or _MAX is below _MIN");
    }
    std::uint64_t n = last ? *last - first + 1 : *count;
    if (count && *count != n) {
        throw UsageError("--shard=slurm: SLURM_ARRAY_TASK_COUNT=" + std::to_string(*count) +
                         " is not the " + std::to_string(n) +
                         " tasks from _MIN to _MAX (the array has gaps)");
    }
    return checked({*id - first, n}, "slurm");
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A K-NET/KiK-net name's stem, or nothing for another name.
std::optional<std::string> knet_stem(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    std::string kind = upper(std::string_view(name).substr(dot + 1));
    std::string direction = kind.substr(0, 2);
    if (direction != "NS" && direction != "EW" && direction != "UD") return std::nullopt;
    std::string stem = name.substr(0, dot);
    if (kind.size() == 2) return stem;
    if (kind == direction + "1") return stem + "-borehole";
    if (kind == direction + "2") return stem + "-surface";
    return std::nullopt;
}

// "RSN1063_..." gives "RSN1063"; other names nothing.
std::optional<std::string> rsn_stem(const std::string& name) {
    std::string upper_name = upper(name);
    if (!upper_name.starts_with("RSN")) return std::nullopt;
    std::size_t end = 3;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    if (end == 3 || end >= name.size() || name[end] != '_') return std::nullopt;
    return upper_name.substr(0, end);
}

}  // namespace

std::vector<ListedRecord> read_record_list(const std::string& file) {
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        if (std::cin.bad()) throw UsageError("--records-from=-: cannot read standard input");
        return split_list(text);
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw UsageError("--records-from=" + file + ": cannot open: " + std::strerror(errno));
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw UsageError("--records-from=" + file + ": cannot read it");
    return split_list(text);
}

Shard parse_shard(std::string_view text, const std::function<const char*(const char*)>& getenv) {
    if (text == "slurm") return slurm_shard(getenv);
    std::size_t slash = text.find('/');
    auto index = whole_number(text.substr(0, slash));
    auto count =
        slash == std::string_view::npos ? std::nullopt : whole_number(text.substr(slash + 1));
    if (!index || !count) {
        throw UsageError("invalid value '" + std::string(text) +
                         "' for --shard: expected K/N or slurm");
    }
    return checked({*index, *count}, std::string(text));
}

std::uint64_t fnv1a_64(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string shard_stem(const ListedRecord& record) {
    if (record.size() > 1) {
        std::vector<std::string> stems;
        for (const std::string& path : record) stems.push_back(formats::file_stem(path));
        return formats::common_stem(stems);
    }
    std::string name = formats::base_name(record.front());
    if (auto stem = knet_stem(name)) return *stem;
    if (auto stem = rsn_stem(name)) return *stem;
    return formats::file_stem(name);
}

bool names_its_set(const ListedRecord& record) {
    if (record.size() != 1) return false;
    std::string name = formats::base_name(record.front());
    return knet_stem(name) || rsn_stem(name);
}

bool in_shard(const ListedRecord& record, const Shard& shard) {
    return fnv1a_64(shard_stem(record)) % shard.count == shard.index;
}

}  // namespace wavespec::cli
