// Input typed or saved with CR LF line ends (as Windows editors and consoles produce) gives the
// same run as LF input, on every platform: the CR belongs to the line end, never to a value or
// a file name. Each recorded reference run is replayed with CR LF keyboard input and CR LF
// input files, and must give the recorded console, diagnostics, ending and files.
#include <gtest/gtest.h>

#include <string>

#include "e2e/reference_run.hpp"

namespace wavespec::test {
namespace {

std::string with_crlf(const std::string& text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

class CrlfReferenceRun : public testing::TestWithParam<std::string> {};

TEST_P(CrlfReferenceRun, GivesTheSameRunAsLfInput) {
    check_reference_run(GetParam(), with_crlf);
}

INSTANTIATE_TEST_SUITE_P(All, CrlfReferenceRun, testing::ValuesIn(reference_names()),
                         reference_test_name);

}  // namespace
}  // namespace wavespec::test
