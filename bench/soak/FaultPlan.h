#pragma once
// The soak run's plan: one Get entry per position, each answered by the simulator with a
// fault drawn from a seeded generator, and the outcome the transmit run must report for it.

#include "protocol/TransmitSink.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnu::soak {

struct PlannedEntry {
    std::string text;    // the entry text, "(n) ESC 06 02 CC FF KK"
    std::string fault;   // the fault's name, for the report
    std::string actions; // the simulator rule's actions
    EntryOutcome expected;
    bool hangsUp = false; // the line drops: the run reconnects before the next entry
};

// Entries get distinct class and function numbers (class 1 on), so that every rule answers
// exactly its own entry.
std::vector<PlannedEntry> planFaults(std::size_t count, std::uint32_t seed);

// The rules file: one "on PREFIX -> ACTIONS" line per entry.
std::string rulesFor(const std::vector<PlannedEntry>& plan);

} // namespace varnu::soak
