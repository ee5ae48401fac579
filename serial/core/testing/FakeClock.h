#pragma once
// Virtual time: sleeping advances it and returns at once.

#include "serial/core/Clock.h"

#include <vector>

namespace varnu {

class FakeClock final : public Clock {
public:
    TimePoint now() const override { return now_; }
    bool sleepFor(std::chrono::milliseconds period, std::stop_token stop) override;

    void advance(std::chrono::milliseconds period) { now_ += period; }
    void advanceTo(TimePoint when);
    // Virtual time since the clock was made.
    std::chrono::milliseconds elapsed() const;
    // Every sleep asked for, in order.
    const std::vector<std::chrono::milliseconds>& sleeps() const { return sleeps_; }

private:
    TimePoint now_{};
    std::vector<std::chrono::milliseconds> sleeps_;
};

} // namespace varnu
