#pragma once
// A transmit run summed up for people: the counts so far while it goes, and its result in one
// line when it is over ("12 entries in 16.4 s: 10 acknowledged, 1 NAK, 1 no response"). The
// Session window shows both; the counts come from the engine's entryFinished reports.

#include "protocol/TransmitSink.h"

#include <chrono>
#include <cstddef>
#include <span>
#include <string>

namespace varnu {

struct RunTally {
    std::size_t acknowledged = 0;
    std::size_t refused = 0;    // NAK
    std::size_t noResponse = 0; // no reply byte
    std::size_t failed = 0;     // every other outcome of a finished exchange
    std::size_t stopped = 0;    // the exchange the stop cut short

    void add(EntryOutcome outcome);
    // Entries whose exchange ran to its end.
    std::size_t finished() const { return acknowledged + refused + noResponse + failed; }
};

RunTally tallyOutcomes(std::span<const EntryOutcome> outcomes);

// While a run goes: "Entry 3 of 12, 4.2 s: 2 acknowledged, 0 NAK, 0 no response, 0 failed".
// `entry` counts from 1.
std::string describeRunProgress(std::size_t entry, std::size_t total, std::chrono::milliseconds elapsed,
                                const RunTally& tally);

// When it is over: "12 entries in 16.4 s: 10 acknowledged, 1 NAK, 1 no response" (counts of
// 0 other than the acknowledged are left out; failures are "2 failed"); a stopped run says
// "Stopped after 3 of 12 entries in 4.1 s: ...", counting the entries whose exchange ended.
std::string describeRunResult(const RunSummary& summary, std::size_t total, std::chrono::milliseconds elapsed);

} // namespace varnu
