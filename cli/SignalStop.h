#pragma once
// SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and the console closed) as a stop
// request while a run is under way: the run ends at its next transfer, closes the port
// (releasing its lock) and reports, instead of dying with the port's lock file left behind. A
// second such signal ends the process at once, as without this. The platform files
// (SignalStop_unix.cpp, SignalStop_win.cpp) hold the handlers that turn a signal into the stop
// request; only one SignalStop exists at a time.

#include <memory>
#include <stop_token>
#include <string>

namespace varnu::cli {

class SignalStop {
public:
    // From now until destruction, the three signals request a stop from `stop`.
    explicit SignalStop(std::stop_source stop);
    // Puts back the handlers that were there before.
    ~SignalStop();
    SignalStop(const SignalStop&) = delete;
    SignalStop& operator=(const SignalStop&) = delete;

    // The first signal that arrived, 0 while none has.
    int received() const;

    // "SIGINT", "SIGTERM", "SIGHUP" ("SIGBREAK" on Windows).
    static std::string nameOf(int signal);

    // The exit status of a process that a signal ended: 128 + its number (130 for SIGINT).
    static int exitStatusFor(int signal) { return 128 + signal; }

private:
    struct Watcher;
    std::unique_ptr<Watcher> watcher_;
};

} // namespace varnu::cli
