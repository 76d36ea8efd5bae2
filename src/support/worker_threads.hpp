// Work shared among threads, or done by the calling thread alone in builds without threads
// (WAVESPEC_THREADS=0, the WebAssembly tool). Results never depend on which thread ran what.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#ifndef WAVESPEC_THREADS
#define WAVESPEC_THREADS 1
#endif
#if WAVESPEC_THREADS
#include <system_error>
#include <thread>
#endif

namespace wavespec {

inline constexpr bool kThreadsBuilt = WAVESPEC_THREADS != 0;

// The processors the system reports (at least one); one without threads.
inline unsigned processor_count() {
#if WAVESPEC_THREADS
    return std::max(std::thread::hardware_concurrency(), 1u);
#else
    return 1;
#endif
}

// Runs work(k) once for every k below count: k = 0 in the calling thread, the others on helper
// threads, and returns when all are done. Without threads, or when the system gives no more,
// the calling thread runs the ones left in turn after its own.
template <class Work>
void run_together(std::size_t count, const Work& work) {
    std::size_t started = 1;
#if WAVESPEC_THREADS
    std::vector<std::thread> helpers;
    for (; started < count; ++started) {
        try {
            helpers.emplace_back([&work, started] { work(started); });
        } catch (const std::system_error&) {
            break;
        }
    }
#endif
    if (count > 0) work(std::size_t{0});
    for (std::size_t k = started; k < count; ++k) work(k);
#if WAVESPEC_THREADS
    for (std::thread& helper : helpers) helper.join();
#endif
}

}  // namespace wavespec
