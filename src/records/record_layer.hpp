// The record layer: numbered units connected to the standard streams and to files, buffered
// record output and input, open/close/stop with their file semantics, and the fatal
// diagnostics. It is the only code of the tool that touches streams and files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wavespec {

class FormatProgram;

enum class Direction { reading, writing };

#ifdef _WIN32
inline constexpr std::string_view kLineEnd = "\r\n";
#else
inline constexpr std::string_view kLineEnd = "\n";
#endif

inline constexpr int kKeyboard = 5;
inline constexpr int kConsole = 6;
inline constexpr int kErrorUnit = 0;
inline constexpr int kEndOfInput = -1;

class RecordLayer;

// Copies n bytes; the pieces of a record are short, and fixed-size copies of overlapping
// halves compile to a few moves where a call to memcpy would cost more than the copy.
inline void copy_bytes(char* to, const char* from, std::size_t n) {
    if (n >= 16 && n <= 32) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8 && n < 16) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    } else {
        std::memcpy(to, from, n);
    }
}

// The pending output of one unit: records are placed here and handed to the file in large
// blocks. Appending is inline; only a full buffer goes back to the record layer.
class RecordSink {
  public:
    void put(std::string_view text) {
        if (text.size() > capacity_ - size_) {
            put_through(text);
            return;
        }
        copy_bytes(data_ + size_, text.data(), text.size());
        size_ += text.size();
    }
    void put(char c) { put(std::string_view(&c, 1)); }

    // Room for at least n bytes (n no more than the buffer) to format into directly; what is
    // written there counts only once committed.
    char* reserve(std::size_t n) {
        if (capacity_ - size_ < n) put_through({});
        return data_ + size_;
    }
    void commit(std::size_t n) { size_ += n; }
    void end_record() {
        if (kLineEnd.size() == 1 && size_ < capacity_) {
            data_[size_++] = kLineEnd[0];
        } else {
            put(kLineEnd);
        }
    }

  private:
    friend class RecordLayer;
    // Hands the buffer to the file, then places text (or writes it directly if it is larger).
    void put_through(std::string_view text);

    RecordLayer* layer_ = nullptr;
    int unit_ = 0;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

struct StandardStreams {
    int input_fd = 0;
    int output_fd = 1;
    int error_fd = 2;
    // On Windows the layer puts the standard streams into binary mode, since its records carry
    // their own CR LF. A layer that never uses them (one of many records run side by side)
    // leaves them as they are.
    bool set_binary_mode = true;
};

// A fatal diagnostic raised as an exception, for callers that run many records in one process
// and must go on after one fails. what() is the diagnostic's first line ("context: message").
class RecordFailure : public std::runtime_error {
  public:
    RecordFailure(std::string first_line, int failed_unit, std::string failed_unit_name,
                  std::optional<std::uint64_t> offset)
        : std::runtime_error(std::move(first_line)),
          unit(failed_unit),
          unit_name(std::move(failed_unit_name)),
          input_offset(offset) {}
    int unit;
    std::string unit_name;  // the file connected to the unit, empty for a standard unit
    // For a unit being read: how many bytes of the file had been read when it failed.
    std::optional<std::uint64_t> input_offset;
};

class RecordLayer {
  public:
    // How a fatal diagnostic ends: the dialogue's four lines and an abnormal end of the
    // process, or a RecordFailure thrown to the caller after every unit is closed. Once a
    // failure has been thrown, the layer writes nothing more and reads no further.
    enum class FailureMode { abort_process, throw_failure };

    enum class OpenMode {
        unknown_status,  // read and write, created when missing, written from its start
        read_only,       // an existing file for reading alone; a missing one is an open error
    };

    explicit RecordLayer(StandardStreams streams = {},
                         FailureMode failure_mode = FailureMode::abort_process);
    ~RecordLayer();
    RecordLayer(const RecordLayer&) = delete;
    RecordLayer& operator=(const RecordLayer&) = delete;

    // Every statement announces itself, so that a diagnostic can name what was going on.
    void begin_list_statement(int unit, Direction direction) {
        (void)unit;
        last_.formatted = false;
        last_.direction = direction;
    }
    void begin_formatted_statement(int unit, Direction direction, const FormatProgram& format);

    // A name typed into a fixed-length text field is padded with blanks, which are not part of
    // it; a name from the command line is taken exactly as given.
    enum class NameForm { padded, exact };
    void open(int unit, std::string_view name, OpenMode mode, NameForm form = NameForm::padded);
    void close(int unit);
    // Orderly end: nothing written, every unit closed, exit status 0.
    [[noreturn]] void stop();
    // A refusal of input the tool cannot process: the message on standard error, every unit
    // closed (finished files stay complete), and the given non-zero exit status.
    [[noreturn]] void refuse(std::string_view message, int exit_status);

    // Output. The sink of a unit, connected and ready for writing (a unit used without an
    // open is connected to "fort.N" here); text placed in it reaches the file in order.
    RecordSink& sink(int unit) {
        // Every record asks for its sink: a unit already set up for writing answers at once.
        if (unit >= 0 && static_cast<std::size_t>(unit) < writing_.size()) {
            if (RecordSink* ready = writing_[static_cast<std::size_t>(unit)]) return *ready;
        }
        return prepare_sink(unit);
    }
    // Makes everything written so far reach the stream (the console before a keyboard read).
    void flush(int unit);

    // Input. input_window gives the buffered bytes not yet consumed, refilling when there are
    // none; it is empty at the end of the input. consume marks bytes of the window as read.
    std::string_view input_window(int unit);
    void consume(int unit, std::size_t count);
    bool at_end(int unit);    // the unit has met the end of its input
    void mark_end(int unit);  // remember that the unit met the end of its input

    // Fatal diagnostics in four lines, every unit closed, then an abnormal end.
    [[noreturn]] void fatal(int unit, std::string_view context, std::string_view message);
    [[noreturn]] void fatal_end_of_file(int unit, std::string_view context);

  private:
    friend class RecordSink;
    struct Unit;
    RecordSink& prepare_sink(int unit);
    Unit& unit_for_output(int unit);
    Unit& unit_for_input(int unit);
    Unit& slot(int unit);
    void connect_default(int unit);
    void write_out(Unit& u);
    bool refill(Unit& u);
    void close_unit(Unit& u, bool report_failures);
    void close_all(bool report_failures);
    [[noreturn]] void fatal_text(int unit, std::string_view first_line, bool open_failure);

    StandardStreams streams_;
    FailureMode failure_mode_ = FailureMode::abort_process;
    std::array<std::unique_ptr<Unit>, 100> units_;
    // The sinks of units connected, writable and positioned for writing; null otherwise.
    std::array<RecordSink*, 100> writing_{};

    struct Statement {
        bool formatted = false;
        Direction direction = Direction::reading;
        std::string format;
    } last_;
    bool failing_ = false;
    // Where the records of a failed layer go: nowhere.
    RecordSink discard_;
    std::unique_ptr<char[]> discard_buffer_;
};

}  // namespace wavespec
