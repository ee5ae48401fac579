#include "serial/dialog/CPortSettingsDlg.h"

#include "serial/MachinePorts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace varnu {
namespace {

const QStringList kPortNames = {"COM1", "COM2", "COM3", "COM4"};
// After the usual speeds, those a port-speed command can leave a projector at (the tool itself
// switches to 38400), so that reaching it again needs no typing.
const QStringList kBaudRates = {"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"};
const QStringList kDataBits = {"4", "5", "6", "7", "8"};

// The port name an item stands for; the item text of a real port also carries its description.
constexpr int kPortNameRole = Qt::UserRole;

QComboBox* editableCombo(const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const QString& item : items)
        combo->addItem(item, item);
    return combo;
}

// A selection-only list of the codes' labels: an item's position is its code.
template <typename Code, std::size_t N>
QComboBox* listCombo(const std::array<LineCodeName<Code>, N>& codes, int index, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    for (const LineCodeName<Code>& code : codes)
        combo->addItem(QString::fromUtf8(code.label.data(), static_cast<qsizetype>(code.label.size())));
    combo->setCurrentIndex(index);
    return combo;
}

// Selects the item that stands for exactly this text, or leaves the text in the edit field
// as it is. Only an exact match is taken: a prefix match would show another port or speed
// than the one in use, and OK would then change the settings without the user touching them.
void showText(QComboBox* combo, const std::string& text) {
    const QString value = QString::fromStdString(text);
    const int index = combo->findData(value, kPortNameRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(index);
    combo->setEditText(value);
}

// The item of a machine port shows its description beside its path; the path alone is its
// name. The stable /dev/serial/by-id/ name is its tool tip.
void addMachinePorts(QComboBox* combo, const std::vector<SerialPortEntry>& ports) {
    for (const SerialPortEntry& port : ports) {
        const QString path = QString::fromStdString(port.path);
        const QString label =
            port.description.empty() ? path : path + QStringLiteral(" - ") + QString::fromStdString(port.description);
        combo->addItem(label, path);
        if (!port.byId.empty())
            combo->setItemData(combo->count() - 1, QString::fromStdString(port.byId), Qt::ToolTipRole);
    }
}

// The port name the field holds: an item's label stands for its name.
QString portNameIn(const QComboBox* combo) {
    const QString text = combo->currentText();
    const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index < 0 ? text : combo->itemData(index, kPortNameRole).toString();
}

QLabel* labelFor(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CPortSettingsDlg::CPortSettingsDlg(const PortDialogValues& values, const std::vector<SerialPortEntry>& machinePorts,
                                   QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾀﾞｲｱﾛｸﾞ"));
    port = editableCombo(kPortNames, this);
    addMachinePorts(port, machinePorts);
    baud = editableCombo(kBaudRates, this);
    dataBits = editableCombo(kDataBits, this);
    parity = listCombo(kParityNames, values.parityIndex, this);
    stopBits = listCombo(kStopBitsNames, values.stopBitIndex, this);
    showText(port, values.portText);
    showText(baud, values.baudText);
    showText(dataBits, values.dataBitsText);
    // A picked machine port puts its bare name into the field, not the description.
    connect(port, &QComboBox::activated, this,
            [this](int index) { port->setEditText(port->itemData(index, kPortNameRole).toString()); });

    auto* form = new QFormLayout;
    form->addRow(labelFor(tr("Port(&P):"), port, this), port);
    form->addRow(labelFor(tr("Baud Rate(&B):"), baud, this), baud);
    form->addRow(labelFor(tr("Data Bit(&D):"), dataBits, this), dataBits);
    form->addRow(labelFor(tr("Parity(&A):"), parity, this), parity);
    form->addRow(labelFor(tr("Stop Bit(&S):"), stopBits, this), stopBits);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

PortDialogValues CPortSettingsDlg::values() const {
    return {portNameIn(port).toStdString(), baud->currentText().toStdString(), dataBits->currentText().toStdString(),
            parity->currentIndex(), stopBits->currentIndex()};
}

QComboBox* CPortSettingsDlg::control(int id) const {
    switch (id) {
    case kPortCombo:
        return port;
    case kBaudCombo:
        return baud;
    case kDataBitsCombo:
        return dataBits;
    case kParityCombo:
        return parity;
    case kStopBitsCombo:
        return stopBits;
    default:
        return nullptr;
    }
}

bool runPortSettingsDialog(PortDialogValues& values, QWidget* parent) {
    CPortSettingsDlg dialog(values, listSerialPorts(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    values = dialog.values();
    return true;
}

} // namespace varnu
