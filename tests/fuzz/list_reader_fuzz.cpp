// Fuzz target: arbitrary bytes on the keyboard, read by list-directed statements as integers,
// reals and texts. The first byte chooses a mode:
//   0: the rest is one value read as a real; a plain decimal number must give what strtod
//      gives for it;
//   1: the same as an integer: in range it is the number, out of range or with a point or
//      exponent it is the matching diagnostic;
//   2: the same as a text of 20 characters: an unquoted word is kept, cut or padded;
//   3: the rest is read by statements whose variables the second byte chooses, until the
//      end of the input or a diagnostic, which must then have the record layer's form.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz/fuzz_support.hpp"
#include "records/list_input.hpp"

extern "C" const char* __asan_default_options() {
    // A caught fatal diagnostic abandons the strings on the reader's stack, as the process
    // would; those are not leaks of the tool.
    return "detect_leaks=0";
}

namespace wavespec::fuzz {
namespace {

constexpr std::size_t kMaxDigits = 40;  // significant digits a number keeps

// A plain number: sign, digits with at most one point, an optional exponent (E, D or a sign
// alone), and nothing else. Returns it in the form strtod reads, or "" when it is not one or
// when it has more significant digits than the reader keeps.
std::string plain_number(const std::string& token) {
    std::size_t i = 0;
    std::string c_form;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) c_form += token[i++];
    std::size_t digits = 0;
    std::size_t significant = 0;
    bool point = false;
    for (; i < token.size(); ++i) {
        char ch = token[i];
        if (ch >= '0' && ch <= '9') {
            ++digits;
            if (significant > 0 || ch != '0') ++significant;
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            break;
        }
        c_form += ch;
    }
    if (digits == 0 || significant > kMaxDigits) return "";
    if (i == token.size()) return c_form;
    char marker = token[i];
    bool letter = marker == 'e' || marker == 'E' || marker == 'd' || marker == 'D';
    if (!letter && marker != '+' && marker != '-') return "";
    c_form += 'e';
    if (letter) ++i;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) c_form += token[i++];
    std::size_t exponent_digits = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i, ++exponent_digits) {
        c_form += token[i];
    }
    if (exponent_digits == 0 || exponent_digits > 6 || i != token.size()) return "";
    return c_form;
}

bool is_separator(char c) {
    return c == ',' || c == ' ' || c == '\t' || c == '/' || c == '\n' || c == '\r';
}

struct OneValue {
    int kind;  // 0 real, 1 integer, 2 text
    double real = 0.0;
    std::int32_t integer = 0;
    char text[20];
};

void read_one(RecordLayer& layer, void* context) {
    auto& value = *static_cast<OneValue*>(context);
    ListReader read(layer, kKeyboard, false);
    if (value.kind == 0) read.real(value.real);
    if (value.kind == 1) read.integer(value.integer);
    if (value.kind == 2) read.text(value.text);
    read.finish();
}

void check_one_real(const std::string& token) {
    std::string c_form = plain_number(token);
    if (c_form.empty()) return;
    OneValue value{};
    value.kind = 0;
    CaughtRun run(token + "\n");
    if (run.run(read_one, &value)) finding("a plain number was refused", run.diagnostic());
    double expected = std::strtod(c_form.c_str(), nullptr);
    if (std::memcmp(&expected, &value.real, sizeof expected) != 0) {
        char detail[200];
        std::snprintf(detail, sizeof detail, "%s read as %.17g, strtod gives %.17g", token.c_str(),
                      value.real, expected);
        finding("real value differs", detail);
    }
}

void check_one_integer(const std::string& token) {
    std::string c_form = plain_number(token);
    if (c_form.empty()) return;
    OneValue value{};
    value.kind = 1;
    CaughtRun run(token + "\n");
    bool failed = run.run(read_one, &value);
    std::string first = first_line(run.diagnostic());
    if (c_form.find_first_of(".e") != std::string::npos) {
        if (!failed || first != "invalid integer: read unexpected character") {
            finding("an integer with a point or exponent was accepted", token + "\n" + first);
        }
        return;
    }
    errno = 0;
    long long expected = std::strtoll(c_form.c_str(), nullptr, 10);
    bool in_range = errno == 0 && expected >= std::numeric_limits<std::int32_t>::min() &&
                    expected <= std::numeric_limits<std::int32_t>::max();
    if (!in_range) {
        if (!failed || first != "invalid integer: integer out of range") {
            finding("an integer out of range was accepted", token + "\n" + first);
        }
    } else if (failed || value.integer != expected) {
        finding("integer value differs", token + "\n" + first);
    }
}

void check_one_text(const std::string& token) {
    if (token.empty() || token[0] == '\'' || token[0] == '"' || token[0] == '\0') return;
    for (char c : token) {
        if (is_separator(c) || c == '*') return;  // r*v is a repeat count, not a word
    }
    OneValue value{};
    value.kind = 2;
    std::memset(value.text, '#', sizeof value.text);
    CaughtRun run(token + "\n");
    if (run.run(read_one, &value)) finding("an unquoted word was refused", run.diagnostic());
    std::string expected = token.substr(0, 20);
    expected.resize(20, ' ');
    if (expected != std::string(value.text, 20)) {
        finding("text value differs", token + "\n" + std::string(value.text, 20));
    }
}

struct Statements {
    std::uint8_t program;
};

void read_statements(RecordLayer& layer, void* context) {
    std::uint8_t program = static_cast<Statements*>(context)->program;
    for (int statement = 0; statement < 1000; ++statement) {
        // Two bits per variable, up to three variables; bit 6 asks for an end-of-file branch.
        bool branch = (program & 0x40) != 0;
        ListReader read(layer, kKeyboard, branch);
        std::int32_t integer = 0;
        double real = 0.0;
        char text[20];
        for (int v = 0; v < 3; ++v) {
            switch ((program >> (2 * v)) & 3) {
                case 0:
                    read.integer(integer);
                    break;
                case 1:
                    read.real(real);
                    break;
                case 2:
                    read.text(text);
                    break;
                default:
                    break;
            }
        }
        if (read.finish() == ListReader::Status::end_of_file) return;
        program = static_cast<std::uint8_t>(program * 37 + 11);  // vary the next statement
        if (!branch && layer.at_end(kKeyboard)) return;
    }
}

void check_statements(std::uint8_t program, const std::string& bytes) {
    CaughtRun run(bytes);
    Statements statements{program};
    if (run.run(read_statements, &statements)) check_diagnostic(run.diagnostic(), "5 (unnamed)");
}

}  // namespace
}  // namespace wavespec::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wavespec::fuzz;
    if (size < 2) return 0;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
            check_one_real(rest);
            break;
        case 1:
            check_one_integer(rest);
            break;
        case 2:
            check_one_text(rest);
            break;
        default:
            check_statements(data[1], rest.substr(1));
            break;
    }
    return 0;
}
