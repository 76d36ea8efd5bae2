// A fixed-size array that starts out all zeros without touching its memory: the zeros come
// from the operating system's fresh pages, so a run only pays (in resident memory) for the
// positions it actually writes (counted in 4 KiB pages, or in 2 MiB ones for the arrays large
// enough to be laid on huge pages).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

#include "support/huge_pages.hpp"

namespace wavespec {

template <typename T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T>, "zero bytes must be a valid T");

  public:
    explicit ZeroedArray(std::size_t size)
        : data_(allocate(size), Free{size * sizeof(T)}), size_(size) {}

    T& operator[](std::size_t i) { return data_.get()[i]; }
    const T& operator[](std::size_t i) const { return data_.get()[i]; }
    T* data() { return data_.get(); }
    const T* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    T* begin() { return data_.get(); }
    T* end() { return data_.get() + size_; }
    const T* begin() const { return data_.get(); }
    const T* end() const { return data_.get() + size_; }

  private:
    static T* allocate(std::size_t size) {
        if (size > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
        auto* data = static_cast<T*>(allocate_zeroed(size * sizeof(T)));
        if (data == nullptr) throw std::bad_alloc();
        return data;
    }
    struct Free {
        std::size_t bytes;
        void operator()(T* p) const { release_zeroed(p, bytes); }
    };
    std::unique_ptr<T, Free> data_;
    std::size_t size_;
};

}  // namespace wavespec
