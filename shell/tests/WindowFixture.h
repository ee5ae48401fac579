#pragma once
// A main window on a fixture catalogue with a fake port, its message boxes recorded instead of shown.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

#include "resources/ResourceIds.h"
#include "shell/CVarnuDlg.h"
#include "shell/PortConnection.h"
#include "shell/tests/CVarnuDlgProbe.h"

namespace varnu::testing {

// A line with nothing at the other end: every write fails, nothing arrives; purges are counted.
// With `stallAfterWrites`, the writes after that many hang until the run is asked to stop, so
// that a test can act while a run is under way.
class ClosedLink : public Link {
public:
    std::size_t writePort(std::span<const std::uint8_t>) override {
        if (stallAfterWrites && ++writes > *stallAfterWrites) {
            std::mutex mutex;
            std::unique_lock lock(mutex);
            std::condition_variable_any().wait(lock, stop, [] { return false; });
        }
        return 0;
    }
    int readPort(std::vector<std::uint8_t>& received, ReadMode) override {
        received.clear();
        return 0;
    }
    void purge() override { ++purges; }
    void waitPumping(std::chrono::milliseconds) override {}
    bool reopenAt(std::uint32_t) override { return false; }

    int purges = 0;
    std::optional<int> stallAfterWrites;
    int writes = 0;       // on the run's thread
    std::stop_token stop; // the run's, handed over by the port
};

class FakePort : public PortConnection {
public:
    PortSettings settings() const override { return current; }
    void setSettings(const PortSettings& settings) override { current = settings; }
    bool openPort() override {
        ++opens;
        open = opens_succeed;
        return open;
    }
    void closePort() override {
        ++closes;
        open = false;
        lost.reset();
    }
    std::optional<PortFailure> openFailure() const override {
        return opens_succeed ? std::nullopt : std::optional<PortFailure>(whyNot);
    }
    std::optional<PortFailure> lostPort() const override { return lost; }
    bool isOpen() const override { return open; }
    Link& link() override { return line; }
    void moveToThread(QThread*) override {}
    void setStopToken(std::stop_token token) override { line.stop = std::move(token); }

    ClosedLink line;

    PortSettings current;
    bool opens_succeed = true;
    PortFailure whyNot = portFailure(PortProblem::NoSuchDevice, "COM1", "/dev/ttyS0"); // when opens fail
    std::optional<PortFailure> lost;                                                   // until the port is closed
    bool open = false;
    int opens = 0;
    int closes = 0;
};

// The window's message boxes, notes and "Save the Transmit List?" recorded instead of shown;
// the question gets `saveChoice`.
struct RecordedPrompts {
    void attach(CVarnuDlg& window) {
        window.showMessage = [this](const QString& headline, const QString& explanation) {
            messages << headline;
            explanations << explanation;
        };
        window.showNote = [this](const QString& text) { notes << text; };
        window.askToSaveList = [this] {
            ++saveQuestions;
            return saveChoice;
        };
    }

    QStringList messages;     // the headlines, in order
    QStringList explanations; // the text below each
    QStringList notes;        // the brief notes
    int saveQuestions = 0;    // "Save the Transmit List?" asked
    CVarnuDlg::SaveChoice saveChoice = CVarnuDlg::SaveChoice::Discard;
};

struct WindowFixture : RecordedPrompts {
    explicit WindowFixture(const QString& catalogueFile, bool portWorks = true) {
        port.opens_succeed = portWorks;
        window = std::make_unique<CVarnuDlg>(port, QStringLiteral(VARNU_TEST_DATA "/") + catalogueFile);
        attach(*window);
        window->initialise();
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window did not become active");
    }

    template <typename T> T* get(int id) const { return qobject_cast<T*>(window->control(id)); }
    QLineEdit* edit(int id) const { return get<QLineEdit>(id); }
    QString text(int id) const { return edit(id)->text(); }
    bool enabled(int id) const { return window->control(id)->isEnabled(); }
    // The window's state as the last exchange left it.
    CVarnuDlgProbe state() const { return CVarnuDlgProbe(*window); }
    QString status() const {
        window->exchange(Exchange::Collect);
        return QString::fromStdString(state().statusText());
    }

    // What a user does: choose in a combo (an accepted choice), a list row, or click.
    void chooseCombo(int id, int index) {
        QComboBox* combo = get<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void chooseFunction(int row) { get<QListWidget>(ids::kFunctionList)->setCurrentRow(row); }
    void click(int id) { get<QAbstractButton>(id)->click(); }

    FakePort port;
    std::unique_ptr<CVarnuDlg> window;
};

} // namespace varnu::testing
