// Zeroed memory for large arrays, backed by the system's huge pages where it offers them on
// request (Linux with transparent huge pages in "madvise" mode). A long record's arrays are
// touched once from end to end, and each first touch of an ordinary 4 KiB page is a fault: on
// virtual machines these faults took a quarter of a long run. A huge page takes one fault for
// 2 MiB. Only the speed changes: the memory is the zeros the system gave, as with calloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The address sanitizer watches the bounds of what the allocator hands out, not of mappings:
// its builds keep every array with the allocator.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WAVESPEC_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define WAVESPEC_ADDRESS_SANITIZER 1
#endif

#if defined(__linux__) && !defined(__EMSCRIPTEN__) && !defined(WAVESPEC_ADDRESS_SANITIZER)
#include <sys/mman.h>
#if defined(MADV_HUGEPAGE)
#define WAVESPEC_HUGE_PAGES 1
#endif
#endif

namespace wavespec {

// The extent of one huge page, and the size from which an array is laid on them: smaller
// arrays would make resident memory they never touch.
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(WAVESPEC_HUGE_PAGES)
// Whether an array of `bytes` is mapped on huge pages, and the whole extents it then takes.
inline bool on_huge_pages(std::size_t bytes) {
    return bytes >= kHugePage && bytes <= SIZE_MAX - 2 * kHugePage;
}
inline std::size_t whole_extents(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}
#endif

// `bytes` of zeros (at least one byte's worth), or nullptr when the memory is not there.
// Release with release_zeroed(data, bytes).
inline void* allocate_zeroed(std::size_t bytes) {
#if defined(WAVESPEC_HUGE_PAGES)
    if (on_huge_pages(bytes)) {
        // One extent more than asked, then the slack before the first 2 MiB boundary and
        // after the last whole extent given back, so that every extent can be a huge page.
        const std::size_t whole = whole_extents(bytes);
        void* mapped = mmap(nullptr, whole + kHugePage, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
        if (aligned > start) munmap(mapped, aligned - start);
        const std::uintptr_t tail = start + whole + kHugePage - (aligned + whole);
        if (tail > 0) munmap(reinterpret_cast<void*>(aligned + whole), tail);
        madvise(reinterpret_cast<void*>(aligned), whole, MADV_HUGEPAGE);  // a hint only
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

inline void release_zeroed(void* data, std::size_t bytes) {
    if (data == nullptr) return;
#if defined(WAVESPEC_HUGE_PAGES)
    if (on_huge_pages(bytes)) {
        munmap(data, whole_extents(bytes));
        return;
    }
#endif
    std::free(data);
}

}  // namespace wavespec
