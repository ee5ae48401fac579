#pragma once
// Collects what a transmit run reports, the way the window would show it.

#include "protocol/TransmitSink.h"

#include <ostream>
#include <string>
#include <vector>

namespace varnu::testing {

class RecordingSink : public TransmitSink {
public:
    void entryStarted(std::size_t index) override { started.push_back(index); }
    void textAppended(std::string_view piece) override { text += piece; }
    void entryFinished(std::size_t, EntryOutcome outcome) override { outcomes.push_back(outcome); }
    void portSpeedChanged(std::uint32_t baudRate) override { speeds.push_back(baudRate); }
    void runFinished(const RunSummary&) override { ++runsFinished; }

    std::string text;
    std::vector<std::size_t> started;
    std::vector<EntryOutcome> outcomes;
    std::vector<std::uint32_t> speeds;
    int runsFinished = 0;
};

} // namespace varnu::testing

namespace varnu {

// Names in test failure messages instead of raw bytes.
inline void PrintTo(EntryOutcome outcome, std::ostream* out) {
    static constexpr const char* kNames[] = {"Acknowledged",    "WriteFailed",       "NoResponse",
                                             "Refused",         "UnexpectedReply",   "MissingData",
                                             "ReceptionFailed", "SpeedChangeFailed", "Stopped"};
    *out << kNames[static_cast<int>(outcome)];
}

} // namespace varnu
