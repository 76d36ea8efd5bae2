#include "formats/physical_units.hpp"

#include <array>
#include <string>
#include <utility>

#include "formats/at2_reader.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

// The powers of time after the length unit: "" 0, "/S" 1, "/S^2" 2, and their other forms.
std::optional<int> time_power(std::string_view text) {
    if (text.empty()) return 0;
    static constexpr std::array<std::pair<std::string_view, int>, 12> kForms = {{
        {"/S", 1},
        {"/SEC", 1},
        {"/S^2", 2},
        {"/S**2", 2},
        {"/S2", 2},
        {"/S/S", 2},
        {"/SEC^2", 2},
        {"/SEC**2", 2},
        {"/SEC2", 2},
        {"/SEC/SEC", 2},
        {"/S*S", 2},
        {"/SS", 2},
    }};
    for (const auto& [form, power] : kForms) {
        if (text == form) return power;
    }
    return std::nullopt;
}

}  // namespace

std::optional<PhysicalUnits> physical_units_named(std::string_view text) {
    std::string upper;
    for (char c : text) {
        if (c != ' ' && c != '\t') upper += ascii_upper(c);
    }
    if (upper == "G") return PhysicalUnits{Quantity::acceleration, kStandardGravityGal};
    if (upper == "GAL" || upper == "GALS") return PhysicalUnits{Quantity::acceleration, 1.0};
    std::string_view rest = upper;
    double factor = 0.0;
    if (rest.starts_with("MM")) {
        factor = 0.1;
        rest.remove_prefix(2);
    } else if (rest.starts_with("CM")) {
        factor = 1.0;
        rest.remove_prefix(2);
    } else if (rest.starts_with("M")) {
        factor = 100.0;
        rest.remove_prefix(1);
    } else {
        return std::nullopt;
    }
    auto power = time_power(rest);
    if (!power) return std::nullopt;
    static constexpr Quantity kByPower[] = {Quantity::displacement, Quantity::velocity,
                                            Quantity::acceleration};
    return PhysicalUnits{kByPower[*power], factor};
}

}  // namespace wavespec::formats
