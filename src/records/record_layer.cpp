#include "records/record_layer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "records/format_program.hpp"

#ifdef _WIN32
#include <io.h>  // _setmode
#endif

#ifndef O_BINARY
#define O_BINARY 0  // POSIX files have no text mode; line ends are written explicitly.
#endif

namespace wavespec {

namespace {
constexpr std::size_t kOutputBufferSize = 1 << 15;
constexpr std::size_t kInputBufferSize = 1 << 16;

// Writes all of text to fd, retrying short writes; false with errno set on failure.
bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        auto n = ::write(fd, data, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

struct RecordLayer::Unit {
    int number = 0;
    int fd = -1;
    bool connected = false;
    bool standard = false;
    bool writable = true;
    bool wrote_last = false;  // the last operation was a write: cut the file there at close
    bool at_end = false;
    std::string name;
    RecordSink out;
    std::unique_ptr<char[]> out_buffer;
    std::unique_ptr<char[]> in;
    std::size_t in_pos = 0;
    std::size_t in_len = 0;
    std::uint64_t in_offset = 0;  // file position of the first byte of the input buffer
};

RecordLayer::RecordLayer(StandardStreams streams, FailureMode failure_mode)
    : streams_(streams), failure_mode_(failure_mode) {
    auto standard = [this](int number, int fd, bool writable) {
        auto u = std::make_unique<Unit>();
        u->number = number;
        u->fd = fd;
        u->connected = true;
        u->standard = true;
        u->writable = writable;
        units_[static_cast<std::size_t>(number)] = std::move(u);
    };
    standard(kKeyboard, streams_.input_fd, false);
    standard(kConsole, streams_.output_fd, true);
    standard(kErrorUnit, streams_.error_fd, true);
#ifdef _WIN32
    // Records carry their own CR LF, so the C runtime must not add a second CR on output nor
    // drop the CR on input: the standard streams pass bytes through unchanged, as files do.
    if (streams_.set_binary_mode) {
        for (int fd : {streams_.input_fd, streams_.output_fd, streams_.error_fd}) {
            _setmode(fd, _O_BINARY);
        }
    }
#endif
}

RecordLayer::~RecordLayer() {
    if (!failing_) close_all(false);
}

RecordLayer::Unit& RecordLayer::slot(int unit) {
    if (unit < 0 || unit > 99) throw std::out_of_range("unit number outside 0..99");
    auto& u = units_[static_cast<std::size_t>(unit)];
    if (!u) {
        u = std::make_unique<Unit>();
        u->number = unit;
    }
    return *u;
}

void RecordLayer::begin_formatted_statement(int unit, Direction direction,
                                            const FormatProgram& format) {
    (void)unit;
    last_.formatted = true;
    last_.direction = direction;
    last_.format = format.text();
}

void RecordLayer::open(int unit, std::string_view name, OpenMode mode, NameForm form) {
    if (failing_) fatal_text(unit, "open: the run has already failed", true);
    Unit& u = slot(unit);
    if (u.standard) throw std::logic_error("open of a standard unit");
    if (u.connected) close(unit);
    // The name as given, without trailing blanks; leading blanks stay part of it.
    std::size_t end = form == NameForm::exact ? name.size() - 1 : name.find_last_not_of(' ');
    std::string trimmed(name.substr(0, end == std::string_view::npos ? 0 : end + 1));
    u.name = trimmed;
    if (trimmed.empty()) fatal_text(unit, "open: null file name", true);
    if (trimmed.find('\0') != std::string::npos) {
        fatal_text(unit, std::string("open: ") + std::strerror(EINVAL), true);
    }
    int fd = -1;
    bool writable = false;
    if (mode == OpenMode::unknown_status) {
        fd = ::open(trimmed.c_str(), O_RDWR | O_CREAT | O_BINARY, 0666);
        writable = fd >= 0;
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // A file that can only be read is opened for reading; writing it fails later.
            int saved = errno;
            fd = ::open(trimmed.c_str(), O_RDONLY | O_BINARY);
            if (fd < 0) errno = saved;
        }
    } else {
        fd = ::open(trimmed.c_str(), O_RDONLY | O_BINARY);
    }
    if (fd >= 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
            ::close(fd);
            fd = -1;
            errno = EISDIR;
        }
    }
    if (fd < 0) fatal_text(unit, std::string("open: ") + std::strerror(errno), true);
    u.fd = fd;
    u.connected = true;
    u.writable = writable;
    u.wrote_last = false;
    writing_[static_cast<std::size_t>(unit)] = nullptr;
    u.at_end = false;
    u.in_pos = u.in_len = 0;
    u.in_offset = 0;
    u.out.size_ = 0;
}

void RecordLayer::connect_default(int unit) {
    // A unit used without an open is connected to "fort.N" by the rules of an open.
    open(unit, "fort." + std::to_string(unit), OpenMode::unknown_status);
}

void RecordLayer::close(int unit) {
    Unit& u = slot(unit);
    if (!u.connected || u.standard || failing_) return;
    close_unit(u, true);
}

void RecordLayer::close_unit(Unit& u, bool report_failures) {
    bool ok = true;
    const char* context = "close";
    int error = 0;
    if (u.out.size_ > 0) {
        if (!write_all(u.fd, u.out.data_, u.out.size_)) {
            ok = false;
            error = errno;
            context = "write";
        }
        u.out.size_ = 0;
    }
    struct stat info {};
    bool regular = ::fstat(u.fd, &info) == 0 && S_ISREG(info.st_mode);
    if (ok && u.wrote_last && regular) {
        // The file ends with the last record written, whatever it held before. Devices and
        // pipes (/dev/null, a terminal) have no end to cut; their writes alone are checked.
        off_t position = ::lseek(u.fd, 0, SEEK_CUR);
        if (position < 0 || ::ftruncate(u.fd, position) != 0) {
            ok = false;
            error = errno;
        }
    }
    if (::close(u.fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    u.fd = -1;
    u.connected = false;
    u.wrote_last = false;
    writing_[static_cast<std::size_t>(u.number)] = nullptr;
    u.in.reset();
    u.in_pos = u.in_len = 0;
    if (!ok && report_failures) {
        fatal_text(u.number, std::string(context) + ": " + std::strerror(error), false);
    }
}

void RecordLayer::close_all(bool report_failures) {
    for (auto& u : units_) {
        if (!u || !u->connected) continue;
        if (u->standard) {
            if (u->out.size_ > 0) {
                bool ok = write_all(u->fd, u->out.data_, u->out.size_);
                u->out.size_ = 0;
                if (!ok && report_failures) {
                    fatal_text(u->number, std::string("write: ") + std::strerror(errno), false);
                }
            }
            continue;
        }
        close_unit(*u, report_failures);
    }
}

void RecordLayer::stop() {
    close_all(true);
    std::exit(0);
}

void RecordLayer::refuse(std::string_view message, int exit_status) {
    close_all(true);
    std::string text(message);
    text += kLineEnd;
    write_all(streams_.error_fd, text.data(), text.size());
    std::exit(exit_status);
}

RecordSink& RecordLayer::prepare_sink(int unit) {
    if (failing_) {
        // Records that a failed run's unwinding still ends go nowhere, and no unit is
        // connected for them.
        if (!discard_buffer_) {
            discard_buffer_ = std::make_unique<char[]>(kOutputBufferSize);
            discard_.layer_ = this;
            discard_.unit_ = -1;
            discard_.data_ = discard_buffer_.get();
            discard_.capacity_ = kOutputBufferSize;
        }
        discard_.size_ = 0;
        return discard_;
    }
    Unit& u = unit_for_output(unit);
    writing_[static_cast<std::size_t>(unit)] = &u.out;
    return u.out;
}

void RecordSink::put_through(std::string_view text) {
    if (layer_->failing_) {
        size_ = 0;
        return;
    }
    RecordLayer::Unit& u = *layer_->units_[static_cast<std::size_t>(unit_)];
    layer_->write_out(u);
    if (text.empty()) return;  // only room was asked for
    if (text.size() <= capacity_) {
        std::memcpy(data_, text.data(), text.size());
        size_ = text.size();
    } else if (!write_all(u.fd, text.data(), text.size())) {
        layer_->fatal(unit_, "write", std::strerror(errno));
    }
}

RecordLayer::Unit& RecordLayer::unit_for_output(int unit) {
    Unit& u = slot(unit);
    if (!u.connected) connect_default(unit);
    if (!u.writable) {
        fatal(unit, last_.formatted ? "write start" : "list output start", "can't write file");
    }
    if (!u.wrote_last && !u.standard) {
        // Switching from reading to writing: continue at the position reached by the reads.
        if (u.in_len > u.in_pos) {
            ::lseek(u.fd, -static_cast<off_t>(u.in_len - u.in_pos), SEEK_CUR);
        }
        u.in_pos = u.in_len = 0;
        u.wrote_last = true;
    }
    if (!u.out_buffer) {
        u.out_buffer = std::make_unique<char[]>(kOutputBufferSize);
        u.out.layer_ = this;
        u.out.unit_ = unit;
        u.out.data_ = u.out_buffer.get();
        u.out.size_ = 0;
        u.out.capacity_ = kOutputBufferSize;
    }
    return u;
}

void RecordLayer::write_out(Unit& u) {
    if (u.out.size_ == 0) return;
    if (failing_) {
        u.out.size_ = 0;
        return;
    }
    if (!write_all(u.fd, u.out.data_, u.out.size_)) {
        int error = errno;
        u.out.size_ = 0;
        fatal(u.number, "write", std::strerror(error));
    }
    u.out.size_ = 0;
}

void RecordLayer::flush(int unit) {
    Unit& u = slot(unit);
    if (u.connected) write_out(u);
}

RecordLayer::Unit& RecordLayer::unit_for_input(int unit) {
    Unit& u = slot(unit);
    writing_[static_cast<std::size_t>(unit)] = nullptr;  // reads move the position
    if (!u.connected) connect_default(unit);
    if (u.wrote_last) {
        write_out(u);
        u.wrote_last = false;
    }
    if (!u.in) u.in = std::make_unique<char[]>(kInputBufferSize);
    return u;
}

bool RecordLayer::refill(Unit& u) {
    if (u.at_end) return false;
    for (;;) {
        auto n = ::read(u.fd, u.in.get(), kInputBufferSize);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fatal(u.number, "read", std::strerror(errno));
        u.in_offset += u.in_len;
        u.in_pos = 0;
        u.in_len = static_cast<std::size_t>(n);
        return n > 0;
    }
}

std::string_view RecordLayer::input_window(int unit) {
    if (failing_) return {};
    Unit& u = unit_for_input(unit);
    if (u.in_pos == u.in_len && !refill(u)) return {};
    return {u.in.get() + u.in_pos, u.in_len - u.in_pos};
}

void RecordLayer::consume(int unit, std::size_t count) {
    Unit& u = slot(unit);
    u.in_pos += count < u.in_len - u.in_pos ? count : u.in_len - u.in_pos;
}

bool RecordLayer::at_end(int unit) {
    return slot(unit).at_end;
}

void RecordLayer::mark_end(int unit) {
    slot(unit).at_end = true;
}

void RecordLayer::fatal(int unit, std::string_view context, std::string_view message) {
    std::string line(context);
    line += ": ";
    line += message;
    fatal_text(unit, line, false);
}

void RecordLayer::fatal_end_of_file(int unit, std::string_view context) {
    fatal(unit, context, "end of file");
}

void RecordLayer::fatal_text(int unit, std::string_view first_line, bool open_failure) {
    if (failure_mode_ == FailureMode::throw_failure) {
        Unit& u = slot(unit);
        std::optional<std::uint64_t> offset;
        if (u.in && !u.standard) offset = u.in_offset + u.in_pos;
        RecordFailure failure(std::string(first_line), unit, u.standard ? std::string() : u.name,
                              offset);
        if (!failing_) close_all(false);
        failing_ = true;
        throw failure;
    }
    if (failing_) std::abort();  // a second failure while ending the run
    failing_ = true;
    Unit& u = slot(unit);
    // The diagnostic's lines end as records do on this platform.
    std::string text(first_line);
    text += kLineEnd;
    text += "apparent state: unit " + std::to_string(unit) + " ";
    text += u.standard ? std::string("(unnamed)") : "named " + u.name;
    text += kLineEnd;
    if (!(open_failure && last_.formatted)) {
        text += "last format: ";
        text += last_.formatted ? last_.format : std::string("list io");
        text += kLineEnd;
    }
    text += "lately ";
    text += last_.direction == Direction::reading ? "reading" : "writing";
    text += " sequential formatted external IO";
    text += kLineEnd;
    // The console's pending records go out first, so the screen shows what led here.
    Unit& console = slot(kConsole);
    if (console.out.size_ > 0) {
        write_all(console.fd, console.out.data_, console.out.size_);
        console.out.size_ = 0;
    }
    write_all(streams_.error_fd, text.data(), text.size());
    close_all(false);
    std::abort();
}

}  // namespace wavespec
