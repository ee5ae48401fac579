#pragma once
// The Session window, a companion of the main window (View > Session, F8): the port with its
// line settings and state, the transmit run under way (entry k of n, time, counts) or the
// result of the last one, what the last Open did with the lines of its file, and the wire
// trace of the runs with each frame's decode. Non-modal and resizable; it keeps its place and
// size in the user's settings. It shows what the main window hands it; the texts come from
// the core.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "protocol/RunReport.h"
#include "serial/core/PortSettings.h"

class QLabel;
class QPlainTextEdit;

namespace varnu {

// The port as the window last saw it. Lost: it went away while open (a pulled adapter).
enum class PortState { Open, Closed, Lost };

// The trace view keeps at least this many lines; older ones go.
inline constexpr int kTraceLinesKept = 100'000;

// "COM1: 9600 bit/s, 8 data bits, parity none, 1 stop bit; open"
QString portStateText(const PortSettings& settings, PortState state);

class SessionWindow : public QWidget {
    Q_OBJECT
public:
    // A window of its own that opens beside `owner` the first time, if it has no place saved.
    explicit SessionWindow(QWidget* owner);
    ~SessionWindow() override;

    // Shows the window (at its saved place the first time) and brings it to the front.
    void open();

    void showPort(const PortSettings& settings, PortState state);

    // A transmit run: its start, each entry as it starts and as its exchange ends, its end.
    void runStarted(std::size_t entries);
    void entryStarted(int index);
    void entryFinished(EntryOutcome outcome);
    void runFinished(const RunSummary& summary, std::chrono::milliseconds elapsed);

    // What opening `path` did with its lines (describeListFileReport).
    void showListReport(const QString& path, const std::vector<std::string>& sentences);

    // Lines of the wire trace, in the order they were recorded.
    void appendTrace(const QStringList& lines);

    QString portText() const;
    QString runText() const;
    QString listReportText() const;
    QPlainTextEdit* traceView() const { return trace; }

    // The buttons under the trace.
    void copyTrace();
    void saveTrace();
    void clearTrace();

    // Replaceable for tests: the file dialog of Save trace (empty on cancel) and the message
    // box of a failed save (headline, explanation).
    std::function<QString()> chooseTraceFile;
    std::function<void(const QString& headline, const QString& explanation)> showMessage;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void showProgress();
    void placeBesideOwner();

    QWidget* owner;
    QLabel* portLine;
    QLabel* runLine;
    QLabel* listLine;
    QPlainTextEdit* trace;
    bool placed = false;

    RunTally tally;
    std::size_t entries = 0;
    int entry = 0; // from 1; 0 before the first entry starts
    QElapsedTimer clock;
    QTimer ticker; // the elapsed time while a run goes
};

} // namespace varnu
