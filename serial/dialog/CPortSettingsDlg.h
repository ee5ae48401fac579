#pragma once
// The Port Settings dialog: port, speed and data bits typed or picked, parity and stop bits
// picked from fixed lists. It edits PortDialogValues; the caller decides what changed.

#include <QDialog>

#include "serial/core/PortFailure.h"
#include "serial/dialog/PortDialogValues.h"

#include <vector>

class QComboBox;

namespace varnu {

class CPortSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids, for tests and for anything that needs to reach a control.
    static constexpr int kPortCombo = 1034;
    static constexpr int kBaudCombo = 1035;
    static constexpr int kDataBitsCombo = 1036;
    static constexpr int kParityCombo = 1037;
    static constexpr int kStopBitsCombo = 1038;

    // The port list offers "COM1" to "COM4", then `machinePorts`, each with its description
    // beside its path.
    explicit CPortSettingsDlg(const PortDialogValues& values, const std::vector<SerialPortEntry>& machinePorts = {},
                              QWidget* parent = nullptr);

    // The values as the controls hold them now.
    PortDialogValues values() const;
    QComboBox* control(int id) const;

private:
    QComboBox* port;
    QComboBox* baud;
    QComboBox* dataBits;
    QComboBox* parity;
    QComboBox* stopBits;
};

// Shows the dialog modally over `parent`, offering the serial ports of this machine; on OK
// `values` receives the dialog's values.
bool runPortSettingsDialog(PortDialogValues& values, QWidget* parent);

} // namespace varnu
