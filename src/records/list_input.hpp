// List-directed input: one read statement takes values for its variables in order from one or
// more records, then skips the rest of the last record it touched. Also the A-field read of a
// whole line into a fixed-length text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "records/format_program.hpp"
#include "records/record_layer.hpp"

namespace wavespec {

class ListReader {
  public:
    enum class Status { ok, end_of_file };

    // Without an end-of-file branch, the end of the input is a fatal diagnostic; with one, the
    // read stops there and finish() reports end_of_file.
    ListReader(RecordLayer& layer, int unit, bool end_of_file_branch);
    ListReader(const ListReader&) = delete;
    ListReader& operator=(const ListReader&) = delete;

    // Each variable keeps its value on a null value, after a slash, or after the end of input.
    void integer(std::int32_t& variable);
    void real(double& variable);
    // A fixed-length text: the value left-justified, cut or blank-padded to the variable's size.
    void text(std::span<char> variable);

    // Skips the rest of the current record, line end included.
    Status finish();

  private:
    // Up to 40 significant digits, without allocation.
    class Digits {
      public:
        bool empty() const { return size_ == 0; }
        std::size_t size() const { return size_; }
        const char* data() const { return chars_; }
        const char* begin() const { return chars_; }
        const char* end() const { return chars_ + size_; }
        void push_back(char c) { chars_[size_++] = c; }

      private:
        char chars_[40];
        std::size_t size_ = 0;
    };

    // Numbers as read: value = digits x 10^scale, with at most 40 significant digits kept.
    struct Number {
        bool negative = false;
        bool has_point = false;
        bool has_exponent = false;
        Digits digits;
        std::int64_t scale = 0;
    };
    struct Held {  // the value of a repeat count r*v, handed to the next variables
        bool is_text = false;
        Number number;
        std::string text;
    };
    enum class Kind { number, text };

    int peek() {
        if (pos_ < window_.size()) return static_cast<unsigned char>(window_[pos_]);
        return refill_peek();
    }
    void advance() { ++pos_; }
    int refill_peek();
    void sync();

    // Positions the read at the next value; false for a null value or an ended read.
    bool begin_value();
    void end_value();
    bool take_held(Kind kind, Held& out);
    // After "r*": r copies of the value that follows, or r null values when none follows
    // (then false). A count that is not from 1 to the limit is fatal.
    bool start_repeat(long count);
    bool read_value(Kind kind, Held& out);
    bool read_started_value(Kind kind, Held& out);
    void read_number(Number& number, bool allow_repeat, Held* repeat_target, bool& repeated);
    void read_unquoted(std::string& text);
    void read_quoted(std::string& text);
    void hit_end(std::string_view context);
    [[noreturn]] void fail(std::string_view context, std::string_view message);

    double to_double(const Number& number);
    std::int32_t to_integer(const Number& number);

    RecordLayer& layer_;
    int unit_;
    bool branch_;
    bool ended_ = false;
    Status status_ = Status::ok;
    std::string_view window_;
    std::size_t pos_ = 0;
    long repeat_left_ = 0;  // further copies of held_ (or nulls) still to hand out
    bool repeat_null_ = false;
    Held held_;
};

// A read statement without variables: waits for one record and ignores it. At the end of the
// input it ends quietly the first time; a later read then meets the end of file.
void read_pause(RecordLayer& layer, int unit);

// Reads one record with a single A descriptor of the given format, such as "(A30)": the first
// characters of the line, blanks and tabs included, padded with blanks to the field width.
std::string read_text_field(RecordLayer& layer, int unit, const FormatProgram& format);

}  // namespace wavespec
