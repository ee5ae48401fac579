#include "tools/simulator/LossTally.h"

namespace varnu::sim {

std::optional<std::string> LossTally::add(const std::string& reason, std::size_t count, const char* unit, SimTime now) {
    std::optional<std::string> ended = expire(now);
    if (run_ && (run_->reason != reason || std::string_view(run_->unit) != unit))
        ended = end();
    if (!run_)
        run_ = Run{.reason = reason, .unit = unit};
    run_->count += count;
    run_->last = now;
    return ended;
}

std::optional<std::string> LossTally::end() {
    if (!run_)
        return std::nullopt;
    std::string note = run_->reason + ": " + std::to_string(run_->count) + " " + run_->unit + " lost";
    run_.reset();
    return note;
}

std::optional<std::string> LossTally::expire(SimTime now) {
    if (run_ && now - run_->last > kQuietGap)
        return end();
    return std::nullopt;
}

std::optional<SimTime> LossTally::expiry() const {
    if (!run_)
        return std::nullopt;
    return run_->last + kQuietGap + SimTime(1);
}

} // namespace varnu::sim
