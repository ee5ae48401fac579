#pragma once
// Input the projector drops, told once per run rather than once per byte: a run is input
// lost for one reason, uninterrupted by anything else and without a quiet gap. Two seconds of
// line noise make a handful of log lines, not thousands.

#include "tools/simulator/LineTiming.h"

#include <cstddef>
#include <optional>
#include <string>

namespace varnu::sim {

class LossTally {
public:
    // A run ends when the line stays quiet this long.
    static constexpr SimTime kQuietGap = std::chrono::milliseconds(200);

    // Counts `count` units (e.g. "byte(s)") lost for `reason` at `now`. When this starts a
    // new run, the note of the run it ends comes back.
    std::optional<std::string> add(const std::string& reason, std::size_t count, const char* unit, SimTime now);

    // Ends the current run (something else arrived); its note, if there was one.
    std::optional<std::string> end();

    // Ends the current run if the quiet gap has passed by `now`.
    std::optional<std::string> expire(SimTime now);

    // When the current run will end if nothing more is lost.
    std::optional<SimTime> expiry() const;

private:
    struct Run {
        std::string reason;
        const char* unit = "";
        std::size_t count = 0;
        SimTime last{};
    };

    std::optional<Run> run_;
};

} // namespace varnu::sim
