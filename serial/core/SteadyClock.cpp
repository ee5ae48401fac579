#include "serial/core/Clock.h"

#include <condition_variable>
#include <mutex>

namespace varnu {

Clock::TimePoint SteadyClock::now() const {
    return std::chrono::steady_clock::now();
}

bool SteadyClock::sleepFor(std::chrono::milliseconds period, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // Nothing but a stop request notifies: the predicate keeps spurious wake-ups asleep.
    wakeUp.wait_for(lock, stop, period, [] { return false; });
    return !stop.stop_requested();
}

} // namespace varnu
