#include "protocol/RunReport.h"

#include <cstdio>

namespace varnu {

namespace {

// Tenths of a second: enough to tell runs apart, whose entries take a second or more each.
std::string secondsText(std::chrono::milliseconds elapsed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(elapsed.count()) / 1000.0);
    return text;
}

std::string entriesText(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

std::string countText(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what;
}

} // namespace

void RunTally::add(EntryOutcome outcome) {
    switch (outcome) {
    case EntryOutcome::Acknowledged:
        ++acknowledged;
        return;
    case EntryOutcome::Refused:
        ++refused;
        return;
    case EntryOutcome::NoResponse:
        ++noResponse;
        return;
    case EntryOutcome::Stopped:
        ++stopped;
        return;
    case EntryOutcome::WriteFailed:
    case EntryOutcome::UnexpectedReply:
    case EntryOutcome::MissingData:
    case EntryOutcome::ReceptionFailed:
    case EntryOutcome::SpeedChangeFailed:
        ++failed;
        return;
    }
}

RunTally tallyOutcomes(std::span<const EntryOutcome> outcomes) {
    RunTally tally;
    for (const EntryOutcome outcome : outcomes)
        tally.add(outcome);
    return tally;
}

std::string describeRunProgress(std::size_t entry, std::size_t total, std::chrono::milliseconds elapsed,
                                const RunTally& tally) {
    return "Entry " + std::to_string(entry) + " of " + std::to_string(total) + ", " + secondsText(elapsed) + ": " +
           countText(tally.acknowledged, "acknowledged") + ", " + countText(tally.refused, "NAK") + ", " +
           countText(tally.noResponse, "no response") + ", " + countText(tally.failed, "failed");
}

std::string describeRunResult(const RunSummary& summary, std::size_t total, std::chrono::milliseconds elapsed) {
    const RunTally tally = tallyOutcomes(summary.outcomes);
    std::string text = summary.stopped ? "Stopped after " + std::to_string(tally.finished()) + " of " +
                                             entriesText(total) + " in " + secondsText(elapsed)
                                       : entriesText(tally.finished()) + " in " + secondsText(elapsed);
    text += ": " + countText(tally.acknowledged, "acknowledged");
    for (const auto& [count, what] : {std::pair{tally.refused, "NAK"}, std::pair{tally.noResponse, "no response"},
                                      std::pair{tally.failed, "failed"}}) {
        if (count != 0)
            text += ", " + countText(count, what);
    }
    return text;
}

} // namespace varnu
