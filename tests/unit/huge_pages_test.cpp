#include "support/huge_pages.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "dialogue/zeroed_array.hpp"

namespace wavespec {
namespace {

// Around the size from which arrays go on huge pages: every byte reads zero, every byte can be
// written and read back, and the large ones start on a 2 MiB boundary.
TEST(HugePages, ZeroedMemoryAtEverySize) {
    for (std::size_t bytes : {std::size_t{0}, std::size_t{1}, kHugePage - 1, kHugePage,
                              kHugePage + 1, 3 * kHugePage + 4097}) {
        auto* data = static_cast<unsigned char*>(allocate_zeroed(bytes));
        ASSERT_NE(data, nullptr) << bytes;
        std::size_t nonzero = 0;
        for (std::size_t i = 0; i < bytes; ++i) nonzero += data[i] != 0;
        EXPECT_EQ(nonzero, 0u) << bytes;
        if (bytes > 0) {
            std::memset(data, 0xA5, bytes);
            EXPECT_EQ(data[0], 0xA5);
            EXPECT_EQ(data[bytes - 1], 0xA5);
        }
#if defined(WAVESPEC_HUGE_PAGES)
        if (bytes >= kHugePage) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % kHugePage, 0u) << bytes;
        }
#endif
        release_zeroed(data, bytes);
    }
}

// An array handed on keeps its memory and gives it back once, whichever way it is laid.
TEST(HugePages, ZeroedArrayMovesItsMemory) {
    ZeroedArray<double> large(kHugePage / sizeof(double) + 3);
    large[large.size() - 1] = 2.5;
    ZeroedArray<double> small(4);
    small = std::move(large);
    EXPECT_EQ(small.size(), kHugePage / sizeof(double) + 3);
    EXPECT_EQ(small[small.size() - 1], 2.5);
    EXPECT_EQ(small[0], 0.0);
    EXPECT_THROW(ZeroedArray<double>(SIZE_MAX / 4), std::bad_alloc);
}

}  // namespace
}  // namespace wavespec
