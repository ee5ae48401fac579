// The stop signals on POSIX: the handler only notes the signal and writes one byte into a
// pipe (both safe inside a handler); a thread of its own reads the pipe and requests the stop.

#include "cli/SignalStop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <thread>

namespace varnu::cli {

namespace {

constexpr std::array kStopSignals{SIGINT, SIGTERM, SIGHUP};
// Written into the pipe when the scope ends: no signal has the number 0.
constexpr unsigned char kEndOfScope = 0;

// All a handler touches: lock-free atomics.
std::atomic<int> receivedSignal{0};
std::atomic<int> wakeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int signal) {
    const int savedErrno = errno;
    int none = 0;
    if (!receivedSignal.compare_exchange_strong(none, signal)) {
        // The user insists: end as the signal ends a process, once this handler returns.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    } else {
        const auto byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(wakeFd.load(), &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

struct SignalStop::Watcher {
    std::stop_source stop;
    int pipe[2] = {-1, -1};
    std::array<struct sigaction, kStopSignals.size()> previous{};
    std::thread thread;
};

SignalStop::SignalStop(std::stop_source stop) : watcher_(std::make_unique<Watcher>()) {
    Watcher& watcher = *watcher_;
    watcher.stop = std::move(stop);
    receivedSignal = 0;
    if (::pipe2(watcher.pipe, O_CLOEXEC) != 0)
        return; // the signals keep their usual effect
    wakeFd = watcher.pipe[1];
    watcher.thread = std::thread([&watcher] {
        for (;;) {
            unsigned char byte = kEndOfScope;
            const ssize_t count = ::read(watcher.pipe[0], &byte, 1);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0 || byte == kEndOfScope)
                return;
            watcher.stop.request_stop();
        }
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], &action, &watcher.previous[i]);
}

SignalStop::~SignalStop() {
    Watcher& watcher = *watcher_;
    if (watcher.pipe[0] < 0)
        return;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i)
        ::sigaction(kStopSignals[i], &watcher.previous[i], nullptr);
    [[maybe_unused]] const ssize_t written = ::write(watcher.pipe[1], &kEndOfScope, 1);
    watcher.thread.join();
    wakeFd = -1;
    ::close(watcher.pipe[0]);
    ::close(watcher.pipe[1]);
}

int SignalStop::received() const {
    return receivedSignal.load();
}

} // namespace varnu::cli
