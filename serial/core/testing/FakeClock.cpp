#include "serial/core/testing/FakeClock.h"

namespace varnu {

bool FakeClock::sleepFor(std::chrono::milliseconds period, std::stop_token stop) {
    sleeps_.push_back(period);
    if (stop.stop_requested()) {
        return false;
    }
    now_ += period;
    return true;
}

void FakeClock::advanceTo(TimePoint when) {
    if (when > now_) {
        now_ = when;
    }
}

std::chrono::milliseconds FakeClock::elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(now_ - TimePoint{});
}

} // namespace varnu
