#pragma once
// Time for the transfer rules, injectable so that the rules are tested in virtual time.

#include <chrono>
#include <stop_token>

namespace varnu {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Lets `period` pass, or less when `stop` is requested (a window closing during a run).
    // False when the sleep was cut short.
    virtual bool sleepFor(std::chrono::milliseconds period, std::stop_token stop) = 0;
};

// Real time. The sleep blocks on a condition variable: no spinning, and a stop request
// wakes it at once.
class SteadyClock final : public Clock {
public:
    TimePoint now() const override;
    bool sleepFor(std::chrono::milliseconds period, std::stop_token stop) override;
};

} // namespace varnu
