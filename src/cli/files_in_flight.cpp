#include "cli/files_in_flight.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>
#endif

#include "support/worker_threads.hpp"

namespace wavespec::cli::files_in_flight {
namespace {

struct InFlight {
    std::mutex mutex;
    std::vector<std::string> files;
    std::vector<std::string> directories;
#ifndef _WIN32
    std::vector<pthread_t> writers;
#endif
};

// Never destroyed: the watcher may still use it while the process exits.
InFlight& in_flight() {
    static InFlight* state = new InFlight;
    return *state;
}

void erase_one(std::vector<std::string>& paths, const std::string& path) {
    auto it = std::find(paths.begin(), paths.end(), path);
    if (it != paths.end()) paths.erase(it);
}

#ifndef _WIN32
// Stops a writer for good: the process is about to end.
constexpr int kStopSignal = SIGUSR2;
std::atomic<int> stopped{0};

extern "C" void stop_here(int) {
    stopped.fetch_add(1);
    for (;;) pause();
}

[[noreturn]] void clean_up_and_exit(int signal) {
    InFlight& state = in_flight();
    // Waits for a commit under way; from here no file is staged, committed or given up.
    state.mutex.lock();
    int asked = 0;
    for (pthread_t writer : state.writers) {
        if (pthread_kill(writer, kStopSignal) == 0) ++asked;
    }
    // A writer stops within microseconds; two seconds only guard against one that cannot.
    for (int waited = 0; stopped.load() < asked && waited < 2000; ++waited) {
        timespec millisecond{0, 1000000};
        nanosleep(&millisecond, nullptr);
    }
    for (const std::string& file : state.files) unlink(file.c_str());
    for (const std::string& directory : state.directories) rmdir(directory.c_str());
    _exit(128 + signal);
}

void watch(sigset_t signals) {
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    clean_up_and_exit(signal);
}
#endif

}  // namespace

std::unique_lock<std::mutex> hold() {
    return std::unique_lock<std::mutex>(in_flight().mutex);
}

void track_file(const std::string& path) {
    in_flight().files.push_back(path);
}

void forget_file(const std::string& path) {
    erase_one(in_flight().files, path);
}

void track_directory(const std::string& path) {
    in_flight().directories.push_back(path);
}

void forget_directory(const std::string& path) {
    erase_one(in_flight().directories, path);
}

void watch_interruptions() {
#ifndef _WIN32
    // The watcher is a thread of its own: a build without threads keeps the signals' defaults.
    if constexpr (!kThreadsBuilt) return;
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGINT, SIGTERM}) {
        // A run started in the background with SIGINT ignored keeps ignoring it.
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaddset(&signals, signal);
        }
    }
    if (sigismember(&signals, SIGINT) != 1 && sigismember(&signals, SIGTERM) != 1) return;
    struct sigaction stop {};
    stop.sa_handler = stop_here;
    sigemptyset(&stop.sa_mask);
    if (sigaction(kStopSignal, &stop, nullptr) != 0) return;
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    try {
        std::thread(watch, signals).detach();
    } catch (const std::system_error&) {
        // Without a watcher the signals end the run as they always did.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
    }
#endif
}

WriterScope::WriterScope() {
#ifndef _WIN32
    auto lock = hold();
    in_flight().writers.push_back(pthread_self());
#endif
}

WriterScope::~WriterScope() {
#ifndef _WIN32
    auto lock = hold();
    auto& writers = in_flight().writers;
    auto self = std::find_if(writers.begin(), writers.end(), [](pthread_t writer) {
        return pthread_equal(writer, pthread_self());
    });
    if (self != writers.end()) writers.erase(self);
#endif
}

}  // namespace wavespec::cli::files_in_flight
