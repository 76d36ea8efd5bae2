// A large buffer of doubles whose pages are first touched as they are filled. On Linux it asks
// for huge pages: one page fault per 2 MiB instead of one per 4 KiB, which on a virtual machine
// is most of the cost of filling it, and which two threads filling it at once would otherwise
// queue for. Kept apart from the numerics, which ask the system for nothing.
#pragma once

#include <cstddef>

namespace wavespec::support {

class LargeBuffer {
  public:
    // At least one value; std::bad_alloc when the memory is not there.
    explicit LargeBuffer(std::size_t values);
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;
    ~LargeBuffer();
    double* get() const { return data_; }

  private:
    double* data_ = nullptr;
};

}  // namespace wavespec::support
