#include "shell/CVarnuDlg.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>
#include <optional>

#include "catalogue/CatalogueLoader.h"
#include "catalogue_text/CatalogueText.h"
#include "resources/ControlTable.h"
#include "resources/MenuTable.h"
#include "resources/ResourceIds.h"
#include "serial/core/PortFailureText.h"
#include "serial/dialog/CPortSettingsDlg.h"
#include "shell/AppIcon.h"
#include "shell/CAboutBox.h"
#include "shell/DataFieldText.h"
#include "shell/DialogBuilder.h"
#include "shell/ExtentListWidget.h"
#include "shell/GlyphFallback.h"
#include "shell/ListFileDialog.h"
#include "shell/PortConnection.h"
#include "shell/SessionWindow.h"
#include "shell/TransmitRun.h"
#include "shell/UpperCaseEdits.h"

namespace varnu {
namespace {

using namespace ids;

constexpr char kMessageCaption[] = "VARNU";
constexpr char kNotAbleToConnect[] = "Not able to Connect.";
// How long the note that the port is open again stays.
constexpr int kNoteShownMs = 4000;
constexpr char kSaveListQuestion[] = "Save the Transmit List?";
constexpr int kResultClose = 1;
constexpr int kResultCancel = 2;

// Commands that change the list or the port wait until a transmit run has ended. Save only
// reads the list, which cannot change during a run, so it stays available.
constexpr int kHeldDuringRun[] = {kAdd, kDelete, kOpen, kTransmit, kClear, kPortSettings, kReconnect};

// The edit control keeps CR LF line ends; Qt's text widgets keep LF.
QString toWidgetText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string fromWidgetText(const QString& text) {
    QString crlf = text;
    return crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}

void showRadioIndex(QButtonGroup* group, int index) {
    // Exclusive groups cannot clear their last checked button; -1 must clear them all.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons()) {
        const QSignalBlocker blocker(button);
        button->setChecked(group->id(button) == index);
    }
    group->setExclusive(true);
}

int selectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void showSelectedRow(QListWidget* list, int row) {
    const QSignalBlocker blocker(list);
    if (row >= 0 && row < list->count()) {
        list->setCurrentRow(row);
    } else {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

void showComboIndex(QComboBox* combo, int index) {
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// Programs set texts only when they differ, so that a show keeps the caret where it is.
void showLineText(QLineEdit* edit, const std::string& text) {
    const QString value = QString::fromStdString(text);
    if (edit->text() == value)
        return;
    const QSignalBlocker blocker(edit);
    edit->setText(value);
}

void showPlainText(QPlainTextEdit* edit, const std::string& text) {
    const QString value = toWidgetText(text);
    if (edit->toPlainText() == value)
        return;
    const QSignalBlocker blocker(edit);
    const QSignalBlocker scrollBlocker(edit->verticalScrollBar());
    edit->setPlainText(value);
}

// A label keeps the member's text as it was given, whatever it has to draw instead.
constexpr char kExchangedText[] = "exchangedText";

void showLabelText(QLabel* label, const std::string& text) {
    const QString value = QString::fromStdString(text);
    label->setProperty(kExchangedText, value);
    label->setText(drawableText(value, label->font()));
}

std::string labelText(const QLabel* label) {
    return label->property(kExchangedText).toString().toStdString();
}

} // namespace

CVarnuDlg::CVarnuDlg(PortConnection& port, QString cataloguePath, QWidget* parent)
    : QDialog(parent), port(port), cataloguePath(std::move(cataloguePath)) {
    appIcon = makeAppIcon();
    showMessage = [this](const QString& headline, const QString& explanation) {
        QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kMessageCaption), headline, QMessageBox::Ok, this);
        box.setInformativeText(explanation);
        box.exec();
    };
    showNote = [this](const QString& text) {
        QToolTip::showText(mapToGlobal(QPoint(0, 0)), text, this, QRect(), kNoteShownMs);
    };
    runPortSettings = [this](PortDialogValues& values) { return runPortSettingsDialog(values, this); };
    chooseOpenFile = [this] { return runListFileDialog(ListFileDialog::Open, this); };
    chooseSaveFile = [this] { return runListFileDialog(ListFileDialog::Save, this); };
    askToSaveList = [this] {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(kMessageCaption),
                        QString::fromLatin1(kSaveListQuestion),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
        switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
        }
    };
    buildWindow();
    session = new SessionWindow(this);
    session->showMessage = [this](const QString& headline, const QString& explanation) {
        showMessage(headline, explanation);
    };
    connectControls();
    transmitList.setMetrics(entryMetrics());
}

CVarnuDlg::~CVarnuDlg() = default;

QWidget* CVarnuDlg::control(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
}

void CVarnuDlg::buildWindow() {
    const DialogSpec& dialog = mainWindowSpec();
    setWindowTitle(captionText(dialog.title));
    setWindowIcon(appIcon);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(windowFont());

    auto* client = new QWidget(this);
    const DialogUnits units(font());
    BuiltDialog built = buildDialogControls(client, dialog, units, appIcon);
    controls = std::move(built.byId);
    radioGroups = std::move(built.radioGroups);
    client->setFixedSize(units.toX(dialog.width), units.toY(dialog.height));
    client->installEventFilter(this); // paints the byte marks
    fitTextBoxes(dialog, units);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    buildMenu(this);
    layout->addWidget(client);
}

void CVarnuDlg::fitTextBoxes(const DialogSpec& dialog, const DialogUnits& units) {
    // The byte range stands at the right of its box: the box begins under the end of the
    // "Multi bytes data(B):" caption, which a range at its left would be drawn over.
    static_cast<QLabel*>(control(kMultiRange))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // A prompt with its Data range can be wider than the status line: it then wraps onto a
    // second line, in a box that fills the height of the status line's frame.
    const auto row = std::find_if(dialog.controls.begin(), dialog.controls.end(),
                                  [](const ControlSpec& control) { return control.id == kStatusLine; });
    const DialogRect line = row->rect;
    const DialogRect frame = std::prev(row)->rect; // the caption-less frame drawn around it
    statusOneLine = units.toPixels(line);
    statusTwoLines = units.toPixels({line.x, frame.y + 1, line.width, frame.height - 2});
}

void CVarnuDlg::fitStatusLine() {
    auto* status = static_cast<QLabel*>(control(kStatusLine));
    const bool oneLine = status->fontMetrics().horizontalAdvance(status->text()) <= statusOneLine.width();
    status->setWordWrap(!oneLine);
    status->setGeometry(oneLine ? statusOneLine : statusTwoLines);
}

void CVarnuDlg::buildMenu(QWidget* menuHost) {
    auto* bar = new QMenuBar(menuHost);
    for (const MenuSpec& menuSpec : mainMenuSpec()) {
        QMenu* menu = bar->addMenu(captionText(menuSpec.title));
        for (const MenuItemSpec& item : menuSpec.items) {
            if (item.id == kSeparator) {
                menu->addSeparator();
                continue;
            }
            const int id = item.id;
            QAction* action = menu->addAction(captionText(item.caption));
            connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
            menuActions[id] = action;
            menuOf[id] = menu;
        }
    }
    addWorkingMenus(bar);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
}

void CVarnuDlg::connectControls() {
    commands = {
        {kAdd, [this] { AddEntry(); }},
        {kDelete, [this] { DeleteEntry(); }},
        {kOpen, [this] { OpenList(); }},
        {kSave, [this] { SaveList(); }},
        {kTransmit, [this] { OnTransmit(); }},
        {kClear, [this] { OnClear(); }},
        {kPortSettings, [this] { OnPortSettings(); }},
        {kReconnect, [this] { OnReconnect(); }},
        {kAbout, [this] { runAboutBox(); }},
        {kClose, [this] { closeCollecting(); }},
        {kStop, [this] { stopTransmit(); }},
        {kSession, [this] { session->open(); }},
    };
    for (int id : {kAdd, kDelete, kOpen, kSave, kTransmit, kClear, kClose}) {
        connect(static_cast<QAbstractButton*>(control(id)), &QAbstractButton::clicked, this,
                [this, id] { runCommand(id); });
    }

    // The class reacts to an accepted choice only, not to every move through the list.
    connect(static_cast<QComboBox*>(control(kClassCombo)), &QComboBox::activated, this, [this] { selectClass(); });
    connect(static_cast<QListWidget*>(control(kFunctionList)), &QListWidget::itemSelectionChanged, this,
            [this] { selectFunction(); });
    connect(static_cast<QComboBox*>(control(kTargetCombo)), &QComboBox::currentIndexChanged, this,
            [this] { selectTarget(); });
    connect(radioGroups.at(kSetRadio), &QButtonGroup::buttonClicked, this, [this] { selectAttribute(); });
    connect(radioGroups.at(kHexRadio), &QButtonGroup::idClicked, this,
            [this](int id) { switchDataRadix(static_cast<DataRadix>(id)); });

    for (int id : {kAddress1Edit, kAddress2Edit, kDataEdit, kMultiBytesEdit})
        control(id)->installEventFilter(this);
    auto* multi = static_cast<QPlainTextEdit*>(control(kMultiBytesEdit));
    connect(multi, &QPlainTextEdit::textChanged, this, [this] { showMultiRange(); });
    connect(multi->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { showMultiRange(); });
    // The two lists show a frame's decode as the tool tip of its line.
    transmitListView()->viewport()->installEventFilter(this);
    static_cast<QPlainTextEdit*>(control(kReceiveList))->viewport()->installEventFilter(this);
}

void CVarnuDlg::runCommand(int id) {
    if (isTransmitting() &&
        std::find(std::begin(kHeldDuringRun), std::end(kHeldDuringRun), id) != std::end(kHeldDuringRun))
        return; // its button or menu item is disabled; a shortcut must not slip past that
    const auto found = commands.find(id);
    if (found != commands.end())
        found->second();
}

void CVarnuDlg::holdCommandsDuringRun(bool held) {
    for (int id : kHeldDuringRun) {
        if (QWidget* button = control(id))
            button->setEnabled(!held);
        if (const auto action = menuActions.find(id); action != menuActions.end())
            action->second->setEnabled(!held);
    }
    // Port > Stop is there for the run alone; the recent lists are Opens.
    menuActions.at(kStop)->setEnabled(held);
    recentMenu->menuAction()->setEnabled(!held);
}

bool CVarnuDlg::eventFilter(QObject* watched, QEvent* event) {
    const QWidget* receiveViewport = static_cast<QPlainTextEdit*>(control(kReceiveList))->viewport();
    if (event->type() == QEvent::ToolTip && (watched == transmitListView()->viewport() || watched == receiveViewport)) {
        auto* viewport = static_cast<QWidget*>(watched);
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = frameTipAt(viewport, help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, viewport);
        return true;
    }
    if (event->type() == QEvent::Paint && watched == control(kMultiBytesEdit)->parentWidget()) {
        paintByteMarks(static_cast<QWidget*>(watched));
        return false;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        for (int id : {kAddress1Edit, kAddress2Edit, kDataEdit, kMultiBytesEdit}) {
            if (watched != control(id))
                continue;
            if (event->type() == QEvent::FocusIn)
                showFieldPrompt(id);
            else
                clearFieldPrompt();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CVarnuDlg::initialise() {
    catalogueLoaded = loadCatalogueFile();
    if (!catalogueLoaded) {
        showPortState();
        return; // the window still opens, empty, with the port closed
    }

    auto* classCombo = static_cast<QComboBox*>(control(kClassCombo));
    {
        const QSignalBlocker blocker(classCombo);
        for (const CommandGroup& group : catalogue_.groups)
            classCombo->addItem(display(group.name));
    }
    selection.attribute = Attribute::Set;
    selection.classIndex = 0;
    batchUpdate = 1;
    selection.functionIndex = 0;
    selectClass();
    exchange(Exchange::Show);
    batchUpdate = 0;

    openPortAndTell();

    dataEdit.setHexMode(false);
    dataEdit.attach(control(kDataEdit));
    multiBytesEdit.setHexMode(true);
    multiBytesEdit.attach(control(kMultiBytesEdit));
    setDataLimit(DataRadix::Dec);
    control(kSetRadio)->setFocus(Qt::OtherFocusReason);
}

bool CVarnuDlg::loadCatalogueFile() {
    const CatalogueLoadResult result =
        varnu::loadCatalogueFile(QFile::encodeName(cataloguePath).toStdString(), catalogue_);
    if (!result)
        showMessage(QString::fromUtf8(result.message.data(), static_cast<qsizetype>(result.message.size())),
                    QString::fromStdString(result.explanation));
    return result.ok;
}

QString CVarnuDlg::display(std::string_view name) const {
    return catalogueText(name, catalogue_.encoding);
}

void CVarnuDlg::exchange(Exchange direction) {
    auto* attributes = radioGroups.at(kSetRadio);
    auto* classCombo = static_cast<QComboBox*>(control(kClassCombo));
    auto* targetCombo = static_cast<QComboBox*>(control(kTargetCombo));
    auto* functionList = static_cast<QListWidget*>(control(kFunctionList));
    auto* address1 = static_cast<QLineEdit*>(control(kAddress1Edit));
    auto* address2 = static_cast<QLineEdit*>(control(kAddress2Edit));
    auto* data = static_cast<QLineEdit*>(control(kDataEdit));
    auto* transmitListView = static_cast<QListWidget*>(control(kTransmitList));
    auto* receive = static_cast<QPlainTextEdit*>(control(kReceiveList));
    auto* status = static_cast<QLabel*>(control(kStatusLine));
    auto* multi = static_cast<QPlainTextEdit*>(control(kMultiBytesEdit));
    auto* range = static_cast<QLabel*>(control(kMultiRange));
    auto* radix = radioGroups.at(kHexRadio);

    if (direction == Exchange::Show) {
        showRadioIndex(attributes, static_cast<int>(selection.attribute));
        showComboIndex(classCombo, selection.classIndex);
        showComboIndex(targetCombo, selection.targetIndex);
        showSelectedRow(functionList, selection.functionIndex);
        showLineText(address1, selection.address1Text);
        showLineText(address2, selection.address2Text);
        showLineText(data, selection.dataText);
        showSelectedRow(transmitListView, transmitList.selection().value_or(-1));
        showPlainText(receive, receiveText);
        showLabelText(status, statusText);
        fitStatusLine();
        showPlainText(multi, selection.multiBytesText);
        showLabelText(range, rangeText);
        showRadioIndex(radix, static_cast<int>(selection.dataRadix));
        return;
    }
    selection.attribute = static_cast<Attribute>(attributes->checkedId());
    selection.classIndex = classCombo->currentIndex();
    selection.targetIndex = targetCombo->currentIndex();
    selection.functionIndex = selectedRow(functionList);
    selection.address1Text = address1->text().toStdString();
    selection.address2Text = address2->text().toStdString();
    selection.dataText = data->text().toStdString();
    transmitList.select(selectedRow(transmitListView));
    receiveText = fromWidgetText(receive->toPlainText());
    statusText = labelText(status);
    selection.multiBytesText = fromWidgetText(multi->toPlainText());
    rangeText = labelText(range);
    selection.dataRadix = static_cast<DataRadix>(radix->checkedId());
}

void CVarnuDlg::closeCollecting() {
    exchange(Exchange::Collect);
    if (mayDropTransmitList())
        done(kResultClose);
}

void CVarnuDlg::reject() {
    if (isTransmitting()) {
        stopTransmit();
        return;
    }
    if (mayDropTransmitList())
        done(kResultCancel);
}

void CVarnuDlg::closeEvent(QCloseEvent* event) {
    if (isVisible() && !mayDropTransmitList()) {
        event->ignore();
        return;
    }
    done(kResultCancel);
    event->accept();
}

bool CVarnuDlg::mayDropTransmitList() {
    if (!transmitList.hasUnsavedEntries())
        return true;
    switch (askToSaveList()) {
    case SaveChoice::Save:
        return saveListToChosenFile();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

void CVarnuDlg::stopTransmit() {
    if (transmitRun)
        transmitRun->requestStop();
}

void CVarnuDlg::done(int result) {
    if (transmitRun) {
        transmitRun->stopAndWait();
        lostDuringRun.reset(); // a closing window does not tell that the port was lost
        endTransmit();
    }
    session->close(); // keeps its place and size
    QDialog::done(result);
}

void CVarnuDlg::runAboutBox() {
    CAboutBox about(appIcon, this);
    about.exec();
}

void CVarnuDlg::OnPortSettings() {
    PortDialogValues values = dialogValuesFrom(port.settings());
    if (!runPortSettings(values))
        return;
    PortSettings settings = port.settings();
    if (!applyDialogValues(values, settings))
        return; // nothing changed: the port stays as it is
    port.setSettings(settings);
    port.closePort();
    openPortAndTell();
}

void CVarnuDlg::OnReconnect() {
    port.closePort();
    openPortAndTell();
}

void CVarnuDlg::openPortAndTell() {
    if (!port.openPort()) {
        const std::optional<PortFailure> failure = port.openFailure();
        showMessage(QString::fromLatin1(kNotAbleToConnect),
                    failure ? QString::fromStdString(explainPortFailure(*failure)) : QString());
        portFailed = true;
    } else if (std::exchange(portFailed, false)) {
        showNote(tr("The port \"%1\" is open again.").arg(QString::fromStdString(port.settings().portName)));
    }
    showPortState();
}

void CVarnuDlg::showPortState() {
    const PortState state = !port.isOpen() ? PortState::Closed : port.lostPort() ? PortState::Lost : PortState::Open;
    session->showPort(port.settings(), state);
}

void CVarnuDlg::paintByteMarks(QWidget* client) {
    // The step is measured in the application's default font, not the window's own.
    const int step = QFontMetrics(QApplication::font()).horizontalAdvance(QStringLiteral("11")) - 2;
    const QRect field = control(kMultiBytesEdit)->geometry();
    const int bottom = field.y() + field.height(); // the first row below the field
    QPainter painter(client);
    for (int x : byteMarkColumns(field.x(), field.x() + field.width(), step)) {
        painter.setPen(Qt::white);
        painter.drawPoint(x, bottom + 1);
        painter.setPen(Qt::black);
        painter.drawPoint(x + 1, bottom + 2);
    }
}

} // namespace varnu
