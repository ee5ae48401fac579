// The engine's work for one entry must stay far below the line's own time: one byte takes
// about 1 ms at 9600 bits per second, and an acknowledged entry waits 1400 ms for its end.
// Each run here sends `entries` Get commands answered by three 49-byte frames each.

#include "protocol/TransmitSequence.h"
#include "serial/core/testing/ScriptedLink.h"

#include <benchmark/benchmark.h>

namespace {

using namespace varnu;
using namespace varnu::testing;

class CountingSink : public TransmitSink {
public:
    void textAppended(std::string_view text) override { characters += text.size(); }
    std::size_t characters = 0;
};

std::vector<ScriptStep> conversation(std::size_t entries, std::string_view frame) {
    std::vector<ScriptStep> script;
    for (std::size_t i = 0; i < entries; ++i) {
        script.push_back(sends("1B0702010205EF"));
        script.push_back(getsByte(kAck));
        for (int f = 0; f < 3; ++f) {
            script.push_back(getsFrame(frame));
            script.push_back(sends("06"));
        }
        script.push_back(getsNothing(ReadMode::Frame));
        script.push_back(purges());
    }
    return script;
}

void BM_TransmitRun(benchmark::State& state) {
    const auto entries = static_cast<std::size_t>(state.range(0));
    const std::string frame = "1B31" + std::string(94, 'A');
    const std::vector<ScriptStep> script = conversation(entries, frame);
    const std::vector<std::string> list(entries, "(1) ESC 07 02 01 02 05 EF");
    for (auto _ : state) {
        ScriptedLink link(script);
        CountingSink sink;
        const RunSummary summary = TransmitSequence(link, sink).run(list);
        benchmark::DoNotOptimize(summary);
        benchmark::DoNotOptimize(sink.characters);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TransmitRun)->Arg(1)->Arg(100)->Arg(1000);

} // namespace
