// A parsed record format such as "(F8.4,6(',',E12.4))": the descriptors of a formatted
// record, flattened so that a record is written by walking one list from left to right.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wavespec {

struct FormatStep {
    enum class Kind { fixed, exponent, text, literal, skip, new_record };
    Kind kind;
    int width = 0;        // F, E, A: field width; X: number of places
    int decimals = 0;     // F: decimals; E: significant digits
    std::string literal;  // literal: its characters, doubled apostrophes already made single
    // F, E, A: the items a statement must have for the record to reach this step (the item
    // it takes is the last of them); 0 for the other steps.
    std::size_t items_needed = 0;

    bool takes_item() const {
        return kind == Kind::fixed || kind == Kind::exponent || kind == Kind::text;
    }
};

class FormatProgram {
  public:
    // Parses a format text; throws std::invalid_argument for a text that is not a format.
    // Repeated groups are unrolled, so the program is a plain sequence of steps.
    explicit FormatProgram(std::string_view text);

    const std::string& text() const { return text_; }
    const std::vector<FormatStep>& steps() const { return steps_; }
    std::size_t data_descriptors() const { return data_descriptors_; }

  private:
    std::string text_;
    std::vector<FormatStep> steps_;
    std::size_t data_descriptors_ = 0;
};

}  // namespace wavespec
