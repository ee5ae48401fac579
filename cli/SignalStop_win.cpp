// The stop on Windows: Ctrl+C and Ctrl+Break in the console, and the console closed or the
// session ending. The system calls the handler on a thread of its own, so the handler requests
// the stop itself. After a close or the end of the session the system ends the process as soon
// as the handler returns: the handler waits there until the run has closed the port, for at
// most kCloseGrace.

#include "cli/SignalStop.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>

namespace varnu::cli {

namespace {

// The system ends a process 5 s after a close event, whatever its handler does.
constexpr std::chrono::milliseconds kCloseGrace{4000};

// The C runtime's numbers: Ctrl+C is SIGINT and Ctrl+Break SIGBREAK; a closed console and an
// ending session end the process as SIGTERM would.
int signalFor(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default:
        return SIGTERM;
    }
}

std::atomic<int> receivedSignal{0};

// The stop of the SignalStop that exists, if one does.
std::mutex watchMutex;
std::condition_variable watchEnded;
std::stop_source* watchedStop = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    int none = 0;
    if (!receivedSignal.compare_exchange_strong(none, signalFor(event)))
        return FALSE; // the user insists: the system's own handler ends the process
    std::unique_lock lock(watchMutex);
    if (watchedStop != nullptr)
        watchedStop->request_stop();
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        watchEnded.wait_for(lock, kCloseGrace, [] { return watchedStop == nullptr; });
    return TRUE;
}

} // namespace

struct SignalStop::Watcher {
    std::stop_source stop;
    bool installed = false;
};

SignalStop::SignalStop(std::stop_source stop) : watcher_(std::make_unique<Watcher>()) {
    watcher_->stop = std::move(stop);
    receivedSignal = 0;
    {
        const std::lock_guard lock(watchMutex);
        watchedStop = &watcher_->stop;
    }
    // Without a console there is nothing to stop the run by; the handler is then simply unused.
    watcher_->installed = ::SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
}

SignalStop::~SignalStop() {
    if (watcher_->installed)
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    {
        const std::lock_guard lock(watchMutex);
        watchedStop = nullptr;
    }
    watchEnded.notify_all();
}

int SignalStop::received() const {
    return receivedSignal.load();
}

} // namespace varnu::cli
