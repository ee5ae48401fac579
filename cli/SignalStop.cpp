// The names of the stop signals, the same on every system; the handlers are in the platform
// files (SignalStop_unix.cpp, SignalStop_win.cpp).

#include "cli/SignalStop.h"

#include <algorithm>
#include <csignal>
#include <utility>

namespace varnu::cli {

std::string SignalStop::nameOf(int signal) {
    static constexpr std::pair<int, const char*> kNames[] = {
        {SIGINT, "SIGINT"},
        {SIGTERM, "SIGTERM"},
#ifdef SIGHUP
        {SIGHUP, "SIGHUP"},
#endif
#ifdef SIGBREAK // Windows: Ctrl+Break
        {SIGBREAK, "SIGBREAK"},
#endif
    };
    const auto* named =
        std::find_if(std::begin(kNames), std::end(kNames), [signal](const auto& name) { return name.first == signal; });
    return named != std::end(kNames) ? named->second : "signal " + std::to_string(signal);
}

} // namespace varnu::cli
