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

class BlockWriter {
  public:
    BlockWriter(const std::string& path, std::string_view name)
        : file_(std::fopen(path.c_str(), "wb")), name_(name) {
        if (file_ == nullptr) fail();
        buffer_.reserve(kBlock + 256);
    }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;
    ~BlockWriter() {
        if (file_ != nullptr) std::fclose(file_);
    }

    void text(std::string_view s) {
        buffer_.append(s);
        if (buffer_.size() >= kBlock) flush();
    }
    // The header's names, so that a value that is not finite can be named by its column.
    void name_columns(std::vector<std::string> columns) { columns_ = std::move(columns); }
    void number(double value) {
        if (!std::isfinite(value)) {
            std::string quantity = column_ < columns_.size() ? columns_[column_] : "a value";
            throw FileWriteError(non_finite_message(name_, quantity, line_, value));
        }
        ++column_;
        char digits[32];
        auto result = shortest_chars(digits, digits + sizeof digits, value);
        buffer_.append(digits, result.ptr);
    }
    // A comma, then the number.
    void field(double value) {
        buffer_.push_back(',');
        number(value);
    }
    void end_line() {
        column_ = 0;
        ++line_;
        buffer_.push_back('\n');
        if (buffer_.size() >= kBlock) flush();
    }
    void close() {
        flush();
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) fail();
    }

  private:
    static constexpr std::size_t kBlock = 1 << 20;

    void flush() {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
            fail();
        }
        buffer_.clear();
    }
    [[noreturn]] void fail() const {
        int error = errno;
        throw FileWriteError("cannot write " + std::string(name_) + ": " +
                             (error != 0 ? std::strerror(error) : "write failed"));
    }

    std::FILE* file_;
    std::string_view name_;
    std::string buffer_;
    std::vector<std::string> columns_;
    std::size_t column_ = 0;
    std::size_t line_ = 1;
};

}  // namespace wavespec::cli
