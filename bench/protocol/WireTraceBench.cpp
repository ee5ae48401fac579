// The wire trace must keep up with any run without slowing it: each iteration records
// 100,000 trace lines through WireTraceLink, with or without the decode lines of the sample
// catalogue, into a store of the last 100,000 lines (as the window keeps them) or into a file
// flushed after every line (as varnu-cli send --log writes it).
//
//     wire_trace_bench [--benchmark_repetitions=N]

#include "catalogue/CatalogueLoader.h"
#include "files/testing/TemporaryFolder.h"
#include "protocol/WireTraceLink.h"
#include "serial/core/testing/ScriptedLink.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>

namespace {

using namespace varnu;
using testing::bytesFromHex;

constexpr std::size_t kTraceLines = 100'000;

// A line that answers at once: every write is taken whole, a byte read gets ACK and a frame
// read the next data frame.
class InstantLink final : public Link {
public:
    explicit InstantLink(std::vector<std::uint8_t> dataFrame) : dataFrame_(std::move(dataFrame)) {}
    std::size_t writePort(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override {
        received = mode == ReadMode::Byte ? std::vector<std::uint8_t>{kAck} : dataFrame_;
        return static_cast<int>(received.size());
    }
    void purge() override {}
    void waitPumping(std::chrono::milliseconds) override {}
    bool reopenAt(std::uint32_t) override { return true; }

private:
    std::vector<std::uint8_t> dataFrame_;
};

// The last kTraceLines lines, as the window's trace view keeps them.
class RecentLines final : public WireTraceSink {
public:
    void traceLine(std::string_view line) override {
        if (lines_.size() == kTraceLines)
            lines_.pop_front();
        lines_.emplace_back(line);
        ++count;
    }
    std::size_t count = 0;

private:
    std::deque<std::string> lines_;
};

// Each line written and flushed, as varnu-cli send --log does.
class FileLines final : public WireTraceSink {
public:
    explicit FileLines(const std::filesystem::path& path) : out_(path, std::ios::binary | std::ios::trunc) {}
    void traceLine(std::string_view line) override {
        out_ << line << '\n' << std::flush;
        ++count;
    }
    std::size_t count = 0;

private:
    std::ofstream out_;
};

const Catalogue& sampleCatalogue() {
    static const Catalogue catalogue = [] {
        Catalogue loaded;
        if (const CatalogueLoadResult result = loadCatalogueFile(VARNU_SAMPLE_CATALOGUE, loaded); !result)
            std::fprintf(stderr, "%s\n", result.explanation.c_str());
        return loaded;
    }();
    return catalogue;
}

// One exchange of a Get: the command, the ACK, a data frame, our ACK. With decodes that is
// six lines, without four; the exchanges go on until kTraceLines lines are recorded.
template <typename Sink> void recordTrace(benchmark::State& state, Sink& sink, const Catalogue* catalogue) {
    // Sent: Set Lens/Shift (two targets fit), Set Colour/Gamma table (a group of Multi bytes).
    const std::vector<std::vector<std::uint8_t>> commands{
        bytesFromHex("1B 0A 01 02 02 03 03 12 FF DA"),
        bytesFromHex("1B 11 01 05 00 00 00 30 02 00 01 05 03 AA BB CC 7D")};
    InstantLink inner(bytesFromHex("1B 11 02 00 00 03 1F 00 01 00 05 01 07 05 01 2A 8D"));
    SteadyClock clock;
    WireTraceLink trace(inner, clock, sink, catalogue);
    const std::uint8_t ack[] = {kAck};
    std::vector<std::uint8_t> received;
    for (std::size_t i = 0; sink.count < kTraceLines; ++i) {
        trace.writePort(commands[i % commands.size()]);
        trace.readPort(received, ReadMode::Byte);
        trace.readPort(received, ReadMode::Frame);
        trace.writePort(ack);
    }
    state.counters["lines"] = static_cast<double>(sink.count);
}

void BM_TraceToRecentLines(benchmark::State& state) {
    const Catalogue* catalogue = state.range(0) != 0 ? &sampleCatalogue() : nullptr;
    for (auto _ : state) {
        RecentLines sink;
        recordTrace(state, sink, catalogue);
        benchmark::DoNotOptimize(sink.count);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTraceLines));
}
BENCHMARK(BM_TraceToRecentLines)->ArgName("decodes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_TraceToFile(benchmark::State& state) {
    const Catalogue* catalogue = state.range(0) != 0 ? &sampleCatalogue() : nullptr;
    const varnu::testing::TemporaryFolder dir("varnu-trace-bench");
    const auto path = dir / "trace.log";
    for (auto _ : state) {
        FileLines sink(path);
        recordTrace(state, sink, catalogue);
        benchmark::DoNotOptimize(sink.count);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTraceLines));
}
BENCHMARK(BM_TraceToFile)->ArgName("decodes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
