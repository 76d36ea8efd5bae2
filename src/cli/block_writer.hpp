// Text written to a file in blocks of about a megabyte, numbers as their shortest text; a
// number that is not finite, or any failure (at a write or at the close), throws
// FileWriteError with the file's name, so that no failed file is committed.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/finite_values.hpp"
#include "cli/full_layout_files.hpp"
#include "records/number_chars.hpp"

namespace wavespec::cli {

// Lines of a CSV being made: numbers as their shortest text, each checked to be finite, the
// failure naming the file, the column and the line. The lines may be a stretch of a file
// made apart from the rest, counted from first_line.
class RowText {
  public:
    RowText(std::string_view file, const std::vector<std::string>* columns, std::size_t first_line)
        : file_(file), columns_(columns), line_(first_line) {}

    void text(std::string_view s) {
        make_room(s.size());
        std::memcpy(buffer_.data() + size_, s.data(), s.size());
        size_ += s.size();
    }
    void number(double value) {
        if (!std::isfinite(value)) fail_at(value);
        ++column_;
        make_room(kLongestNumber);
        char* at = buffer_.data() + size_;
        size_ = static_cast<std::size_t>(shortest_chars(at, at + kLongestNumber, value).ptr -
                                         buffer_.data());
    }
    // A comma, then the number.
    void field(double value) {
        text(",");
        number(value);
    }
    void end_line() {
        column_ = 0;
        ++line_;
        text("\n");
    }

    std::string_view made() const { return {buffer_.data(), size_}; }
    std::size_t line() const { return line_; }
    // Empties the text for lines counted from first_line; the memory is kept for them.
    void restart(std::size_t first_line) {
        size_ = 0;
        column_ = 0;
        line_ = first_line;
    }

  private:
    // Room that shortest_chars writes into directly (its longest text takes 24).
    static constexpr std::size_t kLongestNumber = 32;

    void make_room(std::size_t count) {
        if (buffer_.size() - size_ < count) buffer_.resize(2 * (size_ + count) + 4096);
    }
    [[noreturn]] void fail_at(double value) const {
        std::string quantity =
            columns_ != nullptr && column_ < columns_->size() ? (*columns_)[column_] : "a value";
        throw FileWriteError(non_finite_message(file_, quantity, line_, value));
    }

    std::string_view file_;
    const std::vector<std::string>* columns_;
    std::string buffer_;
    std::size_t size_ = 0;
    std::size_t column_ = 0;
    std::size_t line_;
};

class BlockWriter {
  public:
    BlockWriter(const std::string& path, std::string_view name)
        : file_(std::fopen(path.c_str(), "wb")), name_(name), rows_(name, &columns_, 1) {
        if (file_ == nullptr) fail();
    }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;
    ~BlockWriter() {
        if (file_ != nullptr) std::fclose(file_);
    }

    void text(std::string_view s) {
        rows_.text(s);
        flush_when_full();
    }
    // The header's names, so that a value that is not finite can be named by its column.
    void name_columns(std::vector<std::string> columns) { columns_ = std::move(columns); }
    void number(double value) { rows_.number(value); }
    // A comma, then the number.
    void field(double value) { rows_.field(value); }
    void end_line() {
        rows_.end_line();
        flush_when_full();
    }
    void close() {
        flush();
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) fail();
    }

    // Whole lines made apart (by RowText lines counted from next_line()), written in turn.
    void lines(const RowText& made) {
        flush();
        write(made.made());
        rows_.restart(made.line());
    }
    std::size_t next_line() const { return rows_.line(); }
    std::string_view name() const { return name_; }
    const std::vector<std::string>* columns() const { return &columns_; }

  private:
    static constexpr std::size_t kBlock = 1 << 20;

    void flush_when_full() {
        if (rows_.made().size() >= kBlock) flush();
    }
    void flush() {
        write(rows_.made());
        rows_.restart(rows_.line());
    }
    void write(std::string_view text) {
        if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
            fail();
        }
    }
    [[noreturn]] void fail() const {
        int error = errno;
        throw FileWriteError("cannot write " + std::string(name_) + ": " +
                             (error != 0 ? std::strerror(error) : "write failed"));
    }

    std::FILE* file_;
    std::string_view name_;
    std::vector<std::string> columns_;
    RowText rows_;
};

}  // namespace wavespec::cli
