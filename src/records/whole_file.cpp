#include "records/whole_file.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace wavespec {

namespace {

// A pipe or special file has no size to ask for: read it to its end.
void read_to_end(std::ifstream& in, std::string& content) {
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
}

}  // namespace

std::optional<std::string> read_whole_file(const std::string& path, std::string& content) {
    content.clear();
    // A directory opens for reading on some systems and reports an end position of its own
    // (ext4 gives one near 2^63), which is no size to allocate.
    std::error_code status_error;
    const auto kind = std::filesystem::status(path, status_error).type();
    if (kind == std::filesystem::file_type::directory) return std::string("it is a directory");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::string("cannot open: ") +
               (errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    }
    if (kind == std::filesystem::file_type::regular) {
        const std::uintmax_t size = std::filesystem::file_size(path, status_error);
        if (!status_error && size > 0 && size <= content.max_size()) {
            // A regular file: one read of its whole size, then whatever grew after it.
            content.resize(static_cast<std::size_t>(size));
            in.read(content.data(), static_cast<std::streamsize>(size));
            content.resize(static_cast<std::size_t>(in.gcount()));
        }
    }
    if (!in.bad()) {
        in.clear();
        read_to_end(in, content);
    }
    if (in.bad()) return std::string("cannot read the file");
    return std::nullopt;
}

}  // namespace wavespec
