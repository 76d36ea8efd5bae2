// Whole runs recorded as reference: input files, everything typed, and the expected console,
// diagnostics, ending and files, byte for byte.
#include <gtest/gtest.h>

#include "e2e/reference_run.hpp"

namespace wavespec::test {
namespace {

class ReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(ReferenceRun, MatchesByteForByte) {
    check_reference_run(GetParam(), [](const std::string& text) { return text; });
}

INSTANTIATE_TEST_SUITE_P(All, ReferenceRun, testing::ValuesIn(reference_names()),
                         reference_test_name);

}  // namespace
}  // namespace wavespec::test
