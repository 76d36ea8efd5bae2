// Work shared among threads: a work that throws (memory that is not there) must reach the
// caller as that exception, after every other work has run, instead of ending the program.
#include "support/worker_threads.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace wavespec {
namespace {

TEST(WorkerThreads, AWorkThatThrowsReachesTheCallerAfterTheOthersRan) {
    for (std::size_t thrower : {0u, 1u, 3u}) {
        std::atomic<int> ran{0};
        EXPECT_THROW(run_together(4,
                                  [&](std::size_t k) {
                                      if (k == thrower) throw std::runtime_error("no memory");
                                      ++ran;
                                  }),
                     std::runtime_error)
            << "work " << thrower;
        EXPECT_EQ(ran.load(), 3) << "work " << thrower;
    }
}

}  // namespace
}  // namespace wavespec
