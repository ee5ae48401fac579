#pragma once
// The tests' view of the main window's state: read-only, what the handlers and the last
// exchange left in the members. Tests change the window only as a user does, through its
// controls and commands.

#include <string>

#include "shell/CVarnuDlg.h"
#include "transmit_list/SelectionState.h"
#include "transmit_list/TransmitList.h"

namespace varnu::testing {

class CVarnuDlgProbe {
public:
    explicit CVarnuDlgProbe(const CVarnuDlg& window) : window_(window) {}

    const SelectionState& selection() const { return window_.selection; }
    const TransmitList& transmitList() const { return window_.transmitList; }
    const std::string& receiveText() const { return window_.receiveText; }
    const std::string& statusText() const { return window_.statusText; }
    const std::string& rangeText() const { return window_.rangeText; }

private:
    const CVarnuDlg& window_;
};

} // namespace varnu::testing
