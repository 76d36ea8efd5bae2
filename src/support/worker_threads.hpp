// Work shared among threads, or done by the calling thread alone in builds without threads
// (WAVESPEC_THREADS=0, the WebAssembly tool). Results never depend on which thread ran what.
#pragma once

#include <algorithm>
#include <cstddef>
#include <exception>
#include <mutex>
#include <new>
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
// the calling thread runs the ones left in turn after its own. A work that throws (memory that
// is not there) does not end the program: every thread is joined first, then the first
// exception is thrown again in the calling thread.
template <class Work>
void run_together(std::size_t count, const Work& work) {
    std::exception_ptr failure;
    std::mutex failure_lock;
    auto guarded = [&](std::size_t k) {
        try {
            work(k);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failure_lock);
            if (!failure) failure = std::current_exception();
        }
    };
    std::size_t started = 1;
#if WAVESPEC_THREADS
    std::vector<std::thread> helpers;
    for (; started < count; ++started) {
        try {
            helpers.emplace_back([&guarded, started] { guarded(started); });
        } catch (const std::system_error&) {
            break;
        } catch (const std::bad_alloc&) {
            break;
        }
    }
#endif
    if (count > 0) guarded(std::size_t{0});
    for (std::size_t k = started; k < count; ++k) guarded(k);
#if WAVESPEC_THREADS
    for (std::thread& helper : helpers) helper.join();
#endif
    if (failure) std::rethrow_exception(failure);
}

// Runs work(from, to) over stretches of [0, items) that cover it in order, at most parts of
// them at once (one when there are no items). Each stretch's result depends on it alone.
template <class Work>
void run_in_stretches(std::size_t parts, std::size_t items, const Work& work) {
    parts = std::clamp<std::size_t>(parts, 1, std::max<std::size_t>(items, 1));
    run_together(parts, [&](std::size_t k) { work(items * k / parts, items * (k + 1) / parts); });
}

}  // namespace wavespec
