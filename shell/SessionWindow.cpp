#include "shell/SessionWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "shell/ListFileAccess.h"
#include "shell/WindowSettings.h"
#include "transmit_list/ListFile.h"

namespace varnu {
namespace {

// How often the elapsed time of a run under way is shown afresh.
constexpr int kProgressRefreshMs = 200;
// The first size, before the user chooses one.
constexpr QSize kFirstSize(900, 520);
// Between the main window and the Session window when it opens beside it.
constexpr int kGapPixels = 8;

QString sentence(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* valueLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

QString portStateText(const PortSettings& settings, PortState state) {
    static constexpr const char* kStates[] = {"open", "closed", "lost"};
    return QStringLiteral("%1: %2; %3")
        .arg(QString::fromStdString(settings.portName), QString::fromStdString(describeLineSettings(settings)),
             QLatin1String(kStates[static_cast<int>(state)]));
}

SessionWindow::SessionWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), owner(owner), portLine(valueLabel(this)), runLine(valueLabel(this)),
      listLine(valueLabel(this)), trace(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Session - Varnu"));
    resize(kFirstSize);
    chooseTraceFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save trace"), lastListFolder(),
                                            QStringLiteral("Trace files (*.log *.txt);;All files (*)"));
    };

    trace->setReadOnly(true);
    trace->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Always there: a scroll bar that came with the first long decode would take the last line
    // out of view, and the trace would stop following the run.
    trace->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    trace->setMaximumBlockCount(kTraceLinesKept);
    trace->setUndoRedoEnabled(false); // appended lines need no undo: it would only cost time and memory
    trace->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    trace->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);

    auto* facts = new QFormLayout;
    facts->addRow(QStringLiteral("Port:"), portLine);
    facts->addRow(QStringLiteral("Transmit:"), runLine);
    facts->addRow(QStringLiteral("List file:"), listLine);

    auto* buttons = new QHBoxLayout;
    const std::pair<QString, void (SessionWindow::*)()> actions[] = {
        {QStringLiteral("&Copy"), &SessionWindow::copyTrace},
        {QStringLiteral("&Save trace..."), &SessionWindow::saveTrace},
        {QStringLiteral("C&lear"), &SessionWindow::clearTrace},
    };
    for (const auto& [caption, action] : actions) {
        auto* button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addWidget(new QLabel(QStringLiteral("Wire trace (ms since the run's start, out / in / ---, the bytes; "
                                                "dec: the frame named by the catalogue):"),
                                 this));
    layout->addWidget(trace, 1);
    layout->addLayout(buttons);

    ticker.setInterval(kProgressRefreshMs);
    connect(&ticker, &QTimer::timeout, this, &SessionWindow::showProgress);
    runLine->setText(QStringLiteral("No transmission yet."));
    listLine->setText(QStringLiteral("No list file opened yet."));
}

SessionWindow::~SessionWindow() = default;

void SessionWindow::open() {
    if (!placed) {
        placed = true;
        if (!restoreGeometry(sessionWindowGeometry()))
            placeBesideOwner();
    }
    show();
    raise();
    activateWindow();
}

void SessionWindow::placeBesideOwner() {
    if (!owner || !owner->isVisible())
        return;
    const QRect main = owner->frameGeometry();
    const QRect screen = owner->screen()->availableGeometry();
    QRect beside(QPoint(main.right() + 1 + kGapPixels, main.top()), size());
    if (screen.contains(beside))
        move(beside.topLeft());
}

void SessionWindow::hideEvent(QHideEvent* event) {
    setSessionWindowGeometry(saveGeometry());
    QWidget::hideEvent(event);
}

void SessionWindow::showPort(const PortSettings& settings, PortState state) {
    portLine->setText(portStateText(settings, state));
}

void SessionWindow::runStarted(std::size_t count) {
    tally = {};
    entries = count;
    entry = 0;
    clock.start();
    ticker.start();
    if (!trace->document()->isEmpty())
        trace->appendPlainText(QString()); // a blank line between runs: each one's times start at 0
    showProgress();
}

void SessionWindow::entryStarted(int index) {
    entry = index + 1;
    showProgress();
}

void SessionWindow::entryFinished(EntryOutcome outcome) {
    tally.add(outcome);
    showProgress();
}

void SessionWindow::showProgress() {
    const auto elapsed = std::chrono::milliseconds(clock.elapsed());
    runLine->setText(QString::fromStdString(describeRunProgress(std::max(entry, 1), entries, elapsed, tally)));
}

void SessionWindow::runFinished(const RunSummary& summary, std::chrono::milliseconds elapsed) {
    ticker.stop();
    runLine->setText(QString::fromStdString(describeRunResult(summary, entries, elapsed)));
}

void SessionWindow::showListReport(const QString& path, const std::vector<std::string>& sentences) {
    QStringList lines;
    for (const std::string& line : sentences)
        lines << QString::fromStdString(line);
    listLine->setText(path + QStringLiteral(": ") + lines.join(QLatin1Char('\n')));
}

void SessionWindow::appendTrace(const QStringList& lines) {
    if (lines.isEmpty())
        return;
    // A view left at its end follows the run; one scrolled back stays where the user put it.
    QScrollBar* bar = trace->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    trace->appendPlainText(lines.join(QLatin1Char('\n')));
    if (following)
        bar->setValue(bar->maximum()); // down only: the time column stays in view
}

QString SessionWindow::portText() const {
    return portLine->text();
}
QString SessionWindow::runText() const {
    return runLine->text();
}
QString SessionWindow::listReportText() const {
    return listLine->text();
}

void SessionWindow::copyTrace() {
    QString selected = trace->textCursor().selectedText();
    // A selection across lines holds U+2029 between them.
    QApplication::clipboard()->setText(selected.isEmpty() ? trace->toPlainText()
                                                          : selected.replace(QChar::ParagraphSeparator, '\n'));
}

void SessionWindow::saveTrace() {
    const QString path = chooseTraceFile();
    if (path.isEmpty())
        return;
    QString text = trace->toPlainText();
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    const QString failure = saveWholeFile(path, text.toUtf8(), QStringLiteral("trace"));
    if (!failure.isEmpty() && showMessage)
        showMessage(sentence(kWriteFailure), failure);
}

void SessionWindow::clearTrace() {
    trace->clear();
}

} // namespace varnu
