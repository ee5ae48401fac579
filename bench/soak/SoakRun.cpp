// soak_run [ENTRIES [SEED [CHECKPOINT]]]: one transmit run of ENTRIES (default 500) Get
// entries over the real serial link, the simulator answering each with a fault drawn from
// SEED (default 1). After a hang-up the link is reconnected before the next entry, as the
// user would. Prints the entries sent, the outcomes against the plan, and the peak resident
// memory at CHECKPOINT entries (default 100) and at the end: the two must be about equal.
// Exit status 1 when an outcome differs from the plan or memory grew.

#include "bench/soak/FaultPlan.h"
#include "protocol/TransmitSequence.h"
#include "serial/SerialLink.h"
#include "tools/simulator/testing/SimulatorProcess.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sys/resource.h>

namespace {

using namespace varnu;

// Growth of the peak resident memory between the checkpoint and the end that still counts as
// flat: allocator noise, not a leak per entry.
constexpr long kFlatMemoryKiB = 512;

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* outcomeName(EntryOutcome outcome) {
    switch (outcome) {
    case EntryOutcome::Acknowledged:
        return "Acknowledged";
    case EntryOutcome::WriteFailed:
        return "WriteFailed";
    case EntryOutcome::NoResponse:
        return "NoResponse";
    case EntryOutcome::Refused:
        return "Refused";
    case EntryOutcome::UnexpectedReply:
        return "UnexpectedReply";
    case EntryOutcome::MissingData:
        return "MissingData";
    case EntryOutcome::ReceptionFailed:
        return "ReceptionFailed";
    case EntryOutcome::SpeedChangeFailed:
        return "SpeedChangeFailed";
    case EntryOutcome::Stopped:
        return "Stopped";
    }
    return "?";
}

// Keeps the Receive List as the window does, and the peak memory at the checkpoint.
class SoakSink : public TransmitSink {
public:
    explicit SoakSink(std::size_t checkpoint) : checkpoint_(checkpoint) {}
    void textAppended(std::string_view text) override { receiveText += text; }
    void entryFinished(std::size_t index, EntryOutcome) override {
        if (index + 1 == checkpoint_)
            peakAtCheckpointKiB = peakResidentKiB();
    }

    std::string receiveText;
    long peakAtCheckpointKiB = 0;

private:
    std::size_t checkpoint_;
};

std::size_t argument(int argc, char** argv, int i, std::size_t fallback) {
    return argc > i ? static_cast<std::size_t>(std::strtoul(argv[i], nullptr, 10)) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::size_t count = argument(argc, argv, 1, 500);
    const auto seed = static_cast<std::uint32_t>(argument(argc, argv, 2, 1));
    const std::size_t checkpoint = argument(argc, argv, 3, 100);

    const std::vector<soak::PlannedEntry> plan = soak::planFaults(count, seed);
    testing::SimulatorProcess sim;
    if (!sim.start(VARNU_SIMULATOR_BINARY, soak::rulesFor(plan))) {
        std::fprintf(stderr, "soak_run: the simulator did not start\n");
        return 2;
    }
    SerialLink link;
    link.setSettings(PortSettings{sim.link.string()});
    if (!link.OpenPort()) {
        std::fprintf(stderr, "soak_run: cannot open %s\n", sim.link.c_str());
        return 2;
    }

    std::size_t reconnects = 0;
    const EntryReader readEntry = [&](std::size_t index) -> std::optional<std::string> {
        if (index > 0 && plan[index - 1].hangsUp) {
            link.ClosePort();
            link.OpenPort();
            ++reconnects;
        }
        return plan[index].text;
    };

    SoakSink sink(checkpoint);
    const auto start = std::chrono::steady_clock::now();
    const RunSummary summary = TransmitSequence(link, sink).run(count, readEntry);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peakAtEndKiB = peakResidentKiB();

    std::map<std::string, int> failures;
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < summary.outcomes.size(); ++i) {
        if (summary.outcomes[i] != EntryOutcome::Acknowledged)
            ++failures[outcomeName(summary.outcomes[i])];
        if (summary.outcomes[i] != plan[i].expected) {
            ++mismatches;
            std::printf("entry %zu (%s): %s, planned %s\n", i + 1, plan[i].fault.c_str(),
                        outcomeName(summary.outcomes[i]), outcomeName(plan[i].expected));
        }
    }

    std::printf("entries sent: %zu of %zu in %.1f s (%.2f s per entry), seed %u\n", summary.outcomes.size(), count,
                seconds, seconds / static_cast<double>(count), seed);
    std::printf("reconnects after a hang-up: %zu\n", reconnects);
    for (const auto& [name, number] : failures)
        std::printf("failures seen: %-16s %d\n", name.c_str(), number);
    std::printf("outcomes differing from the plan: %zu\n", mismatches);
    std::printf("Receive List: %zu characters\n", sink.receiveText.size());
    const long growth = peakAtEndKiB - sink.peakAtCheckpointKiB;
    std::printf("peak resident memory: %ld KiB after %zu entries, %ld KiB after %zu (growth %ld KiB): %s\n",
                sink.peakAtCheckpointKiB, checkpoint, peakAtEndKiB, count, growth,
                growth <= kFlatMemoryKiB ? "flat" : "GROWS");
    return mismatches == 0 && growth <= kFlatMemoryKiB ? 0 : 1;
}
