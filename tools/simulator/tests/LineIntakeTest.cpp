#include "tools/simulator/LineIntake.h"

#include <gtest/gtest.h>

namespace varnu::sim {
namespace {

using namespace std::chrono_literals;

// A client that writes far faster than the line: the simulator, waking when a batch is due,
// takes what the wire would have brought, no more and not much less, at every speed.
TEST(LineIntake, TakesWhatTheLineCarriesFromAClientThatWritesFaster) {
    for (int baud : {9600, 38400}) {
        LineIntake intake;
        SimTime now = 5s; // an idle line before
        const SimTime end = now + 2s;
        std::size_t taken = 0;
        while (now < end) {
            if (intake.ready(now, baud)) {
                const std::size_t count = intake.allowance(now, baud);
                intake.take(count, now, baud);
                taken += count;
            }
            const SimTime next = intake.nextBatchAt(now, baud);
            EXPECT_GT(next, now) << baud;
            now = std::max(next, now + 1us);
        }
        const auto carried = static_cast<std::size_t>(2s / byteTime(baud));
        EXPECT_LE(taken, carried + LineIntake::kIdleBurstBytes) << baud;
        EXPECT_GE(taken, carried - LineIntake::kBatchBytes) << baud;
    }
}

TEST(LineIntake, AnIdleLineGivesABurstAtOnce) {
    LineIntake intake;
    EXPECT_EQ(intake.allowance(0s, 9600), LineIntake::kIdleBurstBytes);
    EXPECT_EQ(intake.allowance(10s, 9600), LineIntake::kIdleBurstBytes);
    intake.take(7, 10s, 9600);
    EXPECT_EQ(intake.allowance(10s, 9600), LineIntake::kIdleBurstBytes - 7);
    EXPECT_TRUE(intake.ready(10s, 9600));
    intake.take(LineIntake::kIdleBurstBytes - 7, 10s, 9600);
    EXPECT_FALSE(intake.ready(10s, 9600));
    EXPECT_EQ(intake.nextBatchAt(10s, 9600), 10s + static_cast<long>(LineIntake::kBatchBytes) * byteTime(9600));
}

} // namespace
} // namespace varnu::sim
