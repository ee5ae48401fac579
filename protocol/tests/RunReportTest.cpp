#include "protocol/RunReport.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

using namespace std::chrono_literals;
using O = EntryOutcome;

TEST(RunReport, EveryOutcomeIsCountedOnce) {
    const std::vector<EntryOutcome> outcomes{O::Acknowledged,    O::WriteFailed,       O::NoResponse,
                                             O::Refused,         O::UnexpectedReply,   O::MissingData,
                                             O::ReceptionFailed, O::SpeedChangeFailed, O::Stopped};
    const RunTally tally = tallyOutcomes(outcomes);
    EXPECT_EQ(tally.acknowledged, 1u);
    EXPECT_EQ(tally.refused, 1u);
    EXPECT_EQ(tally.noResponse, 1u);
    EXPECT_EQ(tally.failed, 5u);
    EXPECT_EQ(tally.stopped, 1u);
    EXPECT_EQ(tally.finished(), outcomes.size() - 1);
}

TEST(RunReport, ProgressAndResultLines) {
    std::vector<EntryOutcome> outcomes(10, O::Acknowledged);
    outcomes.push_back(O::Refused);
    outcomes.push_back(O::NoResponse);
    EXPECT_EQ(describeRunResult({outcomes, false}, 12, 16'449ms),
              "12 entries in 16.4 s: 10 acknowledged, 1 NAK, 1 no response");
    EXPECT_EQ(describeRunProgress(12, 12, 15'000ms, tallyOutcomes(std::span(outcomes).first(11))),
              "Entry 12 of 12, 15.0 s: 10 acknowledged, 1 NAK, 0 no response, 0 failed");

    EXPECT_EQ(describeRunResult({{O::Acknowledged}, false}, 1, 1'400ms), "1 entry in 1.4 s: 1 acknowledged");
    EXPECT_EQ(describeRunResult({{O::MissingData, O::WriteFailed}, false}, 2, 120ms),
              "2 entries in 0.1 s: 0 acknowledged, 2 failed");
    // A stop counts the entries whose exchange ended, not the one it cut short.
    EXPECT_EQ(describeRunResult({{O::Acknowledged, O::Acknowledged, O::Refused, O::Stopped}, true}, 12, 4'120ms),
              "Stopped after 3 of 12 entries in 4.1 s: 2 acknowledged, 1 NAK");
    EXPECT_EQ(describeRunResult({{}, true}, 1, 0ms), "Stopped after 0 of 1 entry in 0.0 s: 0 acknowledged");
}

} // namespace
} // namespace varnu
