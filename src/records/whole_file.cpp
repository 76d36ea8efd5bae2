#include "records/whole_file.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace wavespec {

std::optional<std::string> read_whole_file(const std::string& path, std::string& content) {
    content.clear();
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::string("cannot open: ") +
               (errno != 0 ? std::strerror(errno) : "the file cannot be opened");
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size > 0) {
        // A regular file: one read of its whole size.
        content.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        in.read(content.data(), size);
        content.resize(static_cast<std::size_t>(in.gcount()));
    } else {
        // A pipe or special file has no size to ask for: read it to its end.
        in.clear();
        char chunk[65536];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            content.append(chunk, static_cast<std::size_t>(in.gcount()));
        }
    }
    if (in.bad()) return std::string("cannot read the file");
    return std::nullopt;
}

}  // namespace wavespec
