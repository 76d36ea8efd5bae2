// A fixed-size array that starts out all zeros without touching its memory: the zeros come
// from the operating system's fresh pages, so a run only pays (in resident memory) for the
// positions it actually writes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace wavespec {

template <typename T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T>, "zero bytes must be a valid T");

  public:
    explicit ZeroedArray(std::size_t size)
        : data_(static_cast<T*>(std::calloc(size, sizeof(T)))), size_(size) {
        if (data_ == nullptr) throw std::bad_alloc();
    }

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
    struct Free {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T, Free> data_;
    std::size_t size_;
};

}  // namespace wavespec
