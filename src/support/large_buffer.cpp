#include "support/large_buffer.hpp"

#include <algorithm>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace wavespec::support {

LargeBuffer::LargeBuffer(std::size_t values) {
    std::size_t bytes = std::max<std::size_t>(values, 1) * sizeof(double);
#ifdef __linux__
    constexpr std::size_t kHugePage = std::size_t{1} << 21;
    if (bytes >= kHugePage) {
        bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        data_ = static_cast<double*>(std::aligned_alloc(kHugePage, bytes));
        if (data_ != nullptr) madvise(data_, bytes, MADV_HUGEPAGE);  // a hint only
    }
#endif
    if (data_ == nullptr) data_ = static_cast<double*>(std::malloc(bytes));
    if (data_ == nullptr) throw std::bad_alloc();
}

LargeBuffer::~LargeBuffer() {
    std::free(data_);
}

}  // namespace wavespec::support
