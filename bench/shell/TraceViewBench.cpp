// The Session window keeps the last 100,000 trace lines and must follow a run without slowing
// it. Two measures:
//
//   BM_AppendToTraceView/batch: lines appended to the shown trace view in batches of `batch`
//     lines, the event loop run after each batch (painting included), as the window takes
//     them from a run: 100,000 lines in batches of 100; `full` starts from a view that already
//     holds 100,000 lines, so every line appended pushes the oldest out. Batches of one line
//     (a slow run hands over a line or two at a time) are timed over 10,000 lines.
//   BM_RunFollowedByTheView/follow: a transmit run of 20,000 acknowledged Sets (five trace
//     lines each, decodes included) over a link that answers at once, the window's thread
//     taking the trace into the view as it comes (follow 1) or leaving it until the end
//     (follow 0). The difference is what following the trace costs the run.
//
//     QT_QPA_PLATFORM=offscreen trace_view_bench [--benchmark_repetitions=N]

#include <QApplication>
#include <QEventLoop>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "catalogue/CatalogueLoader.h"
#include "shell/PortConnection.h"
#include "shell/SessionWindow.h"
#include "shell/TransmitRun.h"

namespace {

using namespace varnu;

constexpr int kTraceLines = 100'000;
constexpr int kRunEntries = 20'000; // five lines each

QStringList sampleLines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        lines << QStringLiteral("%1 out 1B 0A 01 02 02 03 03 12 FF DA").arg(i * 0.125, 12, 'f', 3)
              << QStringLiteral("%1 dec Set, class 02 Lens, function 02 Shift, target Lens: literal 03, Slave 03 (3), "
                                "Address 12FF (4863) | target Motor: Data 03 (3)")
                     .arg(i * 0.125, 12, 'f', 3);
    }
    return lines.mid(0, count);
}

void BM_AppendToTraceView(benchmark::State& state) {
    const int batch = static_cast<int>(state.range(0));
    const bool full = state.range(1) != 0;
    const int appended = batch == 1 ? kTraceLines / 10 : kTraceLines;
    const QStringList lines = sampleLines(kTraceLines);
    for (auto _ : state) {
        state.PauseTiming();
        SessionWindow session(nullptr);
        session.show();
        if (full)
            session.appendTrace(lines);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (int at = 0; at < appended; at += batch) {
            session.appendTrace(lines.mid(at, batch));
            QCoreApplication::processEvents();
        }
        state.PauseTiming();
        if (session.traceView()->blockCount() != (full ? kTraceLines : appended))
            state.SkipWithError("the view lost lines it should keep");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * appended);
}
BENCHMARK(BM_AppendToTraceView)
    ->ArgNames({"batch", "full"})
    ->Args({1, 0})
    ->Args({100, 0})
    ->Args({100, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A line that answers at once: every write is taken whole, a byte read gets ACK, a frame read
// gets nothing (the end of an acknowledged Set).
class InstantLink final : public Link {
public:
    std::size_t writePort(std::span<const std::uint8_t> bytes) override { return bytes.size(); }
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override {
        received.clear();
        if (mode == ReadMode::Frame)
            return 0;
        received.push_back(kAck);
        return 1;
    }
    void purge() override {}
    void waitPumping(std::chrono::milliseconds) override {}
    bool reopenAt(std::uint32_t) override { return true; }
};

class InstantPort final : public PortConnection {
public:
    PortSettings settings() const override { return {}; }
    void setSettings(const PortSettings&) override {}
    bool openPort() override { return true; }
    void closePort() override {}
    bool isOpen() const override { return true; }
    std::optional<PortFailure> openFailure() const override { return std::nullopt; }
    std::optional<PortFailure> lostPort() const override { return std::nullopt; }
    Link& link() override { return line; }
    void moveToThread(QThread*) override {}
    void setStopToken(std::stop_token) override {}

private:
    InstantLink line;
};

const Catalogue& sampleCatalogue() {
    static const Catalogue catalogue = [] {
        Catalogue loaded;
        loadCatalogueFile(VARNU_SAMPLE_CATALOGUE, loaded);
        return loaded;
    }();
    return catalogue;
}

void BM_RunFollowedByTheView(benchmark::State& state) {
    const bool follow = state.range(0) != 0;
    // Set System > Mouse port enable: the command, its decode, the ACK, the empty frame read, the purge.
    const std::vector<std::string> entries(kRunEntries, "(1) ESC 07 01 00 08 01 EF");
    InstantPort port;
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SessionWindow session(nullptr);
        session.show();
        TransmitRun run(port, entries, &sampleCatalogue());
        QEventLoop loop;
        if (follow)
            QObject::connect(&run, &TransmitRun::traceLinesReady, &session,
                             [&] { session.appendTrace(run.takeTraceLines()); });
        QObject::connect(&run, &TransmitRun::finished, &loop, &QEventLoop::quit);
        state.ResumeTiming();
        run.start();
        loop.exec();
        state.PauseTiming();
        session.appendTrace(run.takeTraceLines());
        lines = session.traceView()->blockCount();
        state.counters["run_ms"] = static_cast<double>(run.elapsed().count());
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_RunFollowedByTheView)->ArgName("follow")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The offscreen platform warns at every show that it cannot pass size hints on.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreen);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
