// Colours of the three components: strong for the result, light for the record as read.
#pragma once

#include <array>
#include <string_view>

namespace wavespec::plot {

inline constexpr std::array<std::string_view, 3> kComponentColour = {"#1f5fbf", "#d62728",
                                                                     "#2a9d3a"};
inline constexpr std::array<std::string_view, 3> kComponentLight = {"#b4c8ea", "#f2b8b8",
                                                                    "#b9e2bf"};
inline constexpr std::string_view kAxisColour = "#333333";
inline constexpr std::string_view kGridColour = "#e4e4e4";

}  // namespace wavespec::plot
