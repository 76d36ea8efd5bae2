#include "records/format_program.hpp"

#include <cctype>
#include <stdexcept>

#include "records/ascii_case.hpp"

namespace wavespec {
namespace {

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::vector<FormatStep> parse() {
        skip_blanks();
        expect('(');
        std::vector<FormatStep> steps = parse_list();
        expect(')');
        skip_blanks();
        if (pos_ != text_.size()) fail("text after the closing parenthesis");
        return steps;
    }

  private:
    // A comma-separated list of descriptors up to the closing parenthesis of its group.
    // A slash also separates descriptors, as in "(/'title')".
    std::vector<FormatStep> parse_list() {
        std::vector<FormatStep> steps;
        for (;;) {
            skip_blanks();
            if (peek() == ')') return steps;
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            if (peek() == '/') {
                ++pos_;
                steps.push_back({FormatStep::Kind::new_record, 0, 0, {}});
                continue;
            }
            parse_item(steps);
        }
    }

    void parse_item(std::vector<FormatStep>& steps) {
        int count = 1;
        bool has_count = false;
        if (std::isdigit(static_cast<unsigned char>(peek()))) {
            count = number();
            has_count = true;
        }
        char c = ascii_upper(peek());
        if (c == '(') {
            ++pos_;
            std::vector<FormatStep> group = parse_list();
            expect(')');
            for (int r = 0; r < count; ++r) steps.insert(steps.end(), group.begin(), group.end());
        } else if (c == '\'' || c == '"') {
            if (has_count) fail("a count before a literal");
            steps.push_back({FormatStep::Kind::literal, 0, 0, quoted()});
        } else if (c == 'X') {
            ++pos_;
            steps.push_back({FormatStep::Kind::skip, count, 0, {}});
        } else if (c == 'F' || c == 'E') {
            ++pos_;
            int width = number();
            expect('.');
            int decimals = number();
            auto kind = c == 'F' ? FormatStep::Kind::fixed : FormatStep::Kind::exponent;
            for (int r = 0; r < count; ++r) steps.push_back({kind, width, decimals, {}});
        } else if (c == 'A') {
            ++pos_;
            int width = number();
            for (int r = 0; r < count; ++r) steps.push_back({FormatStep::Kind::text, width, 0, {}});
        } else {
            fail("an unknown descriptor");
        }
    }

    std::string quoted() {
        char mark = text_[pos_++];
        std::string value;
        for (;;) {
            if (pos_ >= text_.size()) fail("an unterminated literal");
            char c = text_[pos_++];
            if (c == mark) {
                if (pos_ < text_.size() && text_[pos_] == mark) {
                    value += mark;
                    ++pos_;
                    continue;
                }
                return value;
            }
            value += c;
        }
    }

    int number() {
        if (!std::isdigit(static_cast<unsigned char>(peek()))) fail("a missing number");
        int value = 0;
        while (std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (text_[pos_++] - '0');
            if (value > 10000) fail("a number too large");
        }
        return value;
    }

    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void skip_blanks() {
        while (peek() == ' ') ++pos_;
    }
    void expect(char c) {
        skip_blanks();
        if (peek() != c) fail(std::string("a missing '") + c + "'");
        ++pos_;
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::invalid_argument("format " + std::string(text_) + ": " + what);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

FormatProgram::FormatProgram(std::string_view text) : text_(text), steps_(Parser(text).parse()) {
    for (FormatStep& step : steps_) {
        if (step.takes_item()) step.items_needed = ++data_descriptors_;
    }
}

}  // namespace wavespec
