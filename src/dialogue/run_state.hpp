// The run state: everything one run reads, computes and answers, from the first question to
// the stop. Arrays hold 33000 elements (the command line's full layout: as many as its record
// needs), all zero at the start; position k of the record is element k - 1 here.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "dialogue/zeroed_array.hpp"
#include "records/csv_fields.hpp"
#include "spectral/complex_value.hpp"
#include "spectral/time_window.hpp"

namespace wavespec {

inline constexpr std::size_t kCapacity = static_cast<std::size_t>(kSeriesCapacity);
inline constexpr std::size_t kNameLength = 20;
inline constexpr std::size_t kFileNameLength = 30;

using HeaderName = std::array<char, kNameLength>;

struct RunState {
    RunState() = default;
    // Arrays for a record of `samples` sample sets: the series hold that many, the spectra
    // (and the series the inverse transforms fill) the next power of two; never fewer than the
    // fixed 33000. Untouched positions cost no memory (see ZeroedArray).
    explicit RunState(std::size_t samples)
        : time(at_least(samples)),
          xr1(at_least(std::bit_ceil(samples))),
          xr2(at_least(std::bit_ceil(samples))),
          xr3(at_least(std::bit_ceil(samples))),
          x1(at_least(samples)),
          x2(at_least(samples)),
          x3(at_least(samples)),
          fx1(at_least(std::bit_ceil(samples))),
          fx2(at_least(std::bit_ceil(samples))),
          fx3(at_least(std::bit_ceil(samples))) {}

    std::string infile = std::string(kFileNameLength, ' ');
    // Names of the time column and the three components; blank until the header is read.
    std::array<HeaderName, 4> head = [] {
        std::array<HeaderName, 4> names;
        for (auto& name : names) name.fill(' ');
        return names;
    }();
    ZeroedArray<double> time{kCapacity};
    ZeroedArray<double> xr1{kCapacity};
    ZeroedArray<double> xr2{kCapacity};
    ZeroedArray<double> xr3{kCapacity};
    ZeroedArray<double> x1{kCapacity};
    ZeroedArray<double> x2{kCapacity};
    ZeroedArray<double> x3{kCapacity};
    ZeroedArray<Complex> fx1{kCapacity};
    ZeroedArray<Complex> fx2{kCapacity};
    ZeroedArray<Complex> fx3{kCapacity};

    std::int32_t nt = 0;
    double dt = 0.0;
    std::int32_t nf = 0;
    std::int32_t if1 = 0;
    double dur = 0.0;
    double dom = 0.0;
    std::int32_t nom = 0;
    double eom = 0.0;

    // Answers. They start at 0, so a null answer (a comma or a slash) means "no".
    std::int32_t myes = 0, my1 = 0, my2 = 0, my3 = 0;
    std::int32_t nbd = 0;
    double fl1 = 0.0, fl2 = 0.0, fh1 = 0.0, fh2 = 0.0;
    std::int32_t nit = 0;
    std::int32_t icut = 0;
    double stime = 0.0;
    std::int32_t nstime = 0;
    std::int32_t ndur = 0;
    std::int32_t iskip = 0;

  private:
    static std::size_t at_least(std::size_t n) { return n < kCapacity ? kCapacity : n; }
};

inline std::string_view name_text(const HeaderName& name) {
    return {name.data(), name.size()};
}

// A component's name as the newer files give it: without the blanks that pad it in the header.
inline std::string component_name(const HeaderName& name) {
    return std::string(trimmed_name(name_text(name)));
}

// The three components' names so: head[1] to head[3].
inline std::array<std::string, 3> component_names(const RunState& state) {
    return {component_name(state.head[1]), component_name(state.head[2]),
            component_name(state.head[3])};
}

}  // namespace wavespec
