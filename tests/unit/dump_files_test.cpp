// The dumps of the inverse path, checked whole against texts made value by value from the
// spectra the transforms start from. Records whose components are tied to each other
// (negated, equal, scaled by powers of two, zero) once showed another component's texts.
#include "dialogue/dump_files.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "dialogue/record_steps.hpp"
#include "records/number_text.hpp"
#include "spectral/reconstruction.hpp"
#include "spectral/wvfast.hpp"
#include "unit/record_test_support.hpp"

namespace wavespec {
namespace {

std::string part(double v) {
    char text[kNumberTextCapacity];
    return {text, list_real_part_text(v, text)};
}

std::string real(double v) {
    char text[kNumberTextCapacity];
    return {text, list_real_text(v, text)};
}

// The records "i (re,im)" of a block, as the dump must show it.
std::string block(const std::vector<Complex>& values, const char* after_position = "") {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += " " + std::to_string(i + 1) + after_position + " (" + part(values[i].re) + "," +
                part(values[i].im) + ")\n";
    }
    return text;
}

// Bit reversal of the index, computed bit by bit here rather than by the transform's table.
std::vector<Complex> bit_reversed(const std::vector<Complex>& values) {
    std::vector<Complex> out(values.size());
    std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t r = 0;
        for (std::size_t bit = n >> 1, rest = i; bit > 0; bit >>= 1, rest >>= 1) {
            r = (r << 1) | (rest & 1);
        }
        out[i] = values[r];
    }
    return out;
}

struct TiedRecord {
    const char* name;
    double second;  // component 2 is this times component 1
    double third;   // component 3 likewise
    std::array<bool, 3> invert;
    bool bandpass;
    int operation;
    int nt;
};

// Every dump, expected from the spectra after the forward steps: fort.67 and fort.68 from the
// filled spectra, fort.69 from a plain transform of a copy, fort.88 from its real parts.
struct ExpectedDumps {
    std::string spectrum, input, permuted, output, rescaled;
};

ExpectedDumps expected_from(const RunState& state) {
    ExpectedDumps expected;
    const auto nf = static_cast<std::size_t>(state.nf);
    const ZeroedArray<Complex>* spectra[] = {&state.fx1, &state.fx2, &state.fx3};
    for (int c = 0; c < 3; ++c) {
        std::vector<Complex> a(spectra[c]->begin(), spectra[c]->begin() + nf);
        conjugate_fill(a);
        if (c == 0) expected.spectrum = block(a, ",");
        expected.input += block(a);
        expected.permuted += block(bit_reversed(a));
        wvfast(state.nf, a, state.nf, 1);
        expected.output += block(a);
        if (c == 0) {
            for (std::size_t i = 0; i < nf; ++i) {
                expected.rescaled += " " + std::to_string(i + 1) + "," + real(a[i].re / state.dur) +
                                     real(state.dur) + "\n";
            }
        }
    }
    return expected;
}

class TiedComponents : public ::testing::TestWithParam<TiedRecord> {};

TEST_P(TiedComponents, EveryDumpShowsItsOwnValues) {
    const TiedRecord& tie = GetParam();
    auto state = std::make_unique<RunState>();
    state->nt = tie.nt;
    state->dt = 0.01;
    for (int k = 0; k < tie.nt; ++k) {
        double v = std::sin(0.37 * k) * std::exp(-0.001 * k) + 0.25 * std::cos(2.9 * k + 1.0);
        state->xr1[k] = v;
        state->xr2[k] = tie.second * v;
        state->xr3[k] = tie.third * v;
    }
    state->myes = tie.invert[0] || tie.invert[1] || tie.invert[2] ? 1 : 0;
    state->my1 = tie.invert[0];
    state->my2 = tie.invert[1];
    state->my3 = tie.invert[2];
    apply_polarity(*state);
    ASSERT_TRUE(compute_spectra(*state));
    if (tie.bandpass) {
        state->nbd = 1;
        state->fl1 = 0.1, state->fl2 = 0.2, state->fh1 = 20.0, state->fh2 = 30.0;
        apply_bandpass(*state);
    }
    state->nit = tie.operation;
    apply_operation(*state);
    const ExpectedDumps expected = expected_from(*state);

    test::ScratchDir dir;
    RunFileNames names;
    for (std::size_t i = 0; i < kDumpUnits.size(); ++i) {
        names.dumps[i] = dir.file("fort." + std::to_string(kDumpUnits[i]));
    }
    {
        test::Console console;
        reconstruct_series(console.layer(), *state, names, true);
    }
    EXPECT_EQ(test::read_file(names.dumps[4]), expected.spectrum) << "fort.89";
    EXPECT_EQ(test::read_file(names.dumps[0]), expected.input) << "fort.67";
    EXPECT_EQ(test::read_file(names.dumps[1]), expected.permuted) << "fort.68";
    EXPECT_EQ(test::read_file(names.dumps[2]), expected.output) << "fort.69";
    EXPECT_EQ(test::read_file(names.dumps[3]), expected.rescaled) << "fort.88";
}

INSTANTIATE_TEST_SUITE_P(
    DumpFiles, TiedComponents,
    ::testing::Values(
        TiedRecord{"Negated", -1.0, 1.0, {}, false, 0, 64},
        TiedRecord{"Equal", 1.0, 1.0, {}, false, 0, 64},
        TiedRecord{"PowersOfTwo", 2.0, -0.25, {}, false, 0, 64},
        TiedRecord{"ZeroAndNegatedZero", 0.0, -0.0, {}, false, 0, 64},
        TiedRecord{"EqualWithSecondInverted", 1.0, 1.0, {false, true, false}, false, 0, 64},
        TiedRecord{"NegatedWithBothInverted", -1.0, -1.0, {true, true, false}, true, 2, 100},
        // Real size: nf 16384, record numbers past 9999, band-pass and integration on.
        TiedRecord{
            "LongNegatedFilteredIntegrated", -1.0, 4.0, {false, false, true}, true, 1, 9000}),
    [](const auto& tied) { return std::string(tied.param.name); });

}  // namespace
}  // namespace wavespec
