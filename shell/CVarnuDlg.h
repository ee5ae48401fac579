#pragma once
// The main window: every control of the tool, the state the handlers share, the exchange that
// moves that state to and from the controls, and the routing of commands to their handlers.
// Widgets collect and show; the catalogue and transmit-list code decides.

#include <QDialog>
#include <QIcon>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "catalogue/Catalogue.h"
#include "serial/dialog/PortDialogValues.h"
#include "shell/CHexEdit.h"
#include "transmit_list/SelectionState.h"
#include "transmit_list/TransmitList.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;

namespace varnu {

struct DialogSpec;
class DialogUnits;
class ExtentListWidget;
class PortConnection;
class SessionWindow;
class TransmitRun;
class UpperLineEdit;
namespace testing {
class CVarnuDlgProbe;
}

enum class Exchange { Show, Collect };

class CVarnuDlg : public QDialog {
    Q_OBJECT
public:
    CVarnuDlg(PortConnection& port, QString cataloguePath, QWidget* parent = nullptr);
    ~CVarnuDlg() override;

    // Loads the catalogue, fills and selects, opens the port and attaches the key filters.
    // Run once, before the window is first shown; its messages come up before the window.
    void initialise();

    // The control with this resource id, or nullptr.
    QWidget* control(int id) const;

    // Members 1 to 13 in one direction: show puts them into the controls, collect takes them back.
    void exchange(Exchange direction);

    // Composition: the reactions to choosing class, function, target and attribute.
    void selectClass();
    void selectFunction();
    void selectTarget();
    void selectAttribute();

    // Parameter fields.
    void showFieldPrompt(int editId);
    void clearFieldPrompt();
    void switchDataRadix(DataRadix radix);
    void showMultiRange();

    // Port menu.
    void OnPortSettings();
    void OnReconnect();
    // Port > Stop and Escape during a run: the run ends at its next transfer, the window stays.
    void stopTransmit();

    // Runs the handler of a command id, as a button or a menu item does.
    void runCommand(int id);

    // Open without the file dialog: replaces the Transmit List by the file's accepted lines.
    void openListFile(const QString& path);
    // True from Transmit until the run has handed the port back.
    bool isTransmitting() const { return transmitRun != nullptr; }

    const Catalogue& catalogue() const { return catalogue_; }

    // Replaceable for tests: every message box (warning icon, OK, caption "VARNU") with its
    // headline and, below it, the explanation of what failed and what to do (empty: none), the
    // Port Settings dialog (true on OK, with the values the user left in it) and the file
    // dialogs of Open and Save (the chosen path, empty on cancel).
    std::function<void(const QString& headline, const QString& explanation)> showMessage;
    // A brief note that goes by itself (the port is open again after a failure).
    std::function<void(const QString& text)> showNote;
    std::function<bool(PortDialogValues&)> runPortSettings;
    std::function<QString()> chooseOpenFile;
    std::function<QString()> chooseSaveFile;
    // Closing with unsaved entries asks "Save the Transmit List?" (replaceable for tests).
    enum class SaveChoice { Save, Discard, Cancel };
    std::function<SaveChoice()> askToSaveList;

    // The companion window of View > Session.
    SessionWindow* sessionWindow() const { return session; }

    // The decode of the frame under `position` in the viewport of the Transmit List or the
    // Receive List (their tool tips), empty where no frame is.
    QString frameTipAt(const QWidget* viewport, const QPoint& position) const;

    // The Transmit List and the Receive List.
    void AddEntry();
    void DeleteEntry();
    void OpenList();
    void SaveList();
    void OnTransmit();
    void OnClear();

    // Ends the modal run; a transmit run is stopped first and its worker waited for, so that
    // the port is back on this thread when the application closes it.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The Escape key: during a run it stops the run; otherwise it ends the window's run with
    // result 2, without collecting, once unsaved entries are saved or given up.
    void reject() override;
    // The window manager's close button: as Close, without collecting.
    void closeEvent(QCloseEvent* event) override;

private:
    // Tests read the state through it and change it only through the controls.
    friend class testing::CVarnuDlgProbe;
    class BatchScope;

    // The window's state (members 1 to 13 in the exchange's order, then the rest).
    SelectionState selection;  // attribute, class, target, function, the four texts, radix
    TransmitList transmitList; // the entries, their selection and maxEntryWidth; list 1028 shows it
    std::string receiveText;   // CR LF line ends, as the transmit sequence writes them
    std::string statusText;
    std::string rangeText;
    QIcon appIcon;
    bool timerExpired = false;
    CHexEdit multiBytesEdit;
    CHexEdit dataEdit;
    int batchUpdate = 0;

    void buildWindow();
    void buildMenu(QWidget* menuHost);
    void fitTextBoxes(const DialogSpec& dialog, const DialogUnits& units);
    void fitStatusLine();
    void connectControls();
    void closeCollecting();
    // True when the Transmit List may go: nothing unsaved, or saved or given up on asking.
    bool mayDropTransmitList();
    // Save's file dialog and write; true when the list is now in a file.
    bool saveListToChosenFile();
    void addWorkingMenus(QMenuBar* bar);
    void fillRecentMenu();
    void showPortState();
    void runAboutBox();
    bool loadCatalogueFile();
    void fillTargets();
    void enableFieldsForCodes(int position);
    void fillFieldDefaults();
    void setFieldsEnabled(bool address1, bool address2, bool data, bool multi);
    void setDataLimit(DataRadix radix);
    void paintByteMarks(QWidget* client);
    QString display(std::string_view name) const;

    // Keeps list 1028 in step with the model: texts, selection and horizontal extent.
    void showTransmitList();
    ExtentListWidget* transmitListView() const;
    EntryMetrics entryMetrics() const;
    void appendReceiveText(const QString& text);
    void endTransmit();
    // OpenPort for start-up, Settings and Reconnect: a failure is explained below "Not able to
    // Connect.", and an open that follows a failure or a lost port says so briefly.
    void openPortAndTell();
    void holdCommandsDuringRun(bool held);

    PortConnection& port;
    QString cataloguePath;
    Catalogue catalogue_;
    std::map<int, QWidget*> controls;
    std::map<int, QButtonGroup*> radioGroups;
    std::map<int, std::function<void()>> commands;
    std::map<int, QAction*> menuActions;
    std::map<int, QMenu*> menuOf; // the menu each item of the dialog's own menu stands in
    QMenu* recentMenu = nullptr;
    SessionWindow* session = nullptr;
    bool catalogueLoaded = false;
    std::unique_ptr<TransmitRun> transmitRun;
    std::optional<std::uint32_t> changedBaudRate;         // reported by the run, applied when it ends
    std::optional<std::pair<int, QString>> lostDuringRun; // entry and explanation, told when the run ends
    bool portFailed = false;                              // the last open failed or the port was lost
    QRect statusOneLine;                                  // the status line's box in the control table
    QRect statusTwoLines; // the same across, the height of its frame: for a prompt that wraps
};

} // namespace varnu
