#pragma once
// The five values the Port Settings dialog edits, and how its result changes PortSettings.

#include <string>

#include "serial/core/PortSettings.h"

namespace varnu {

struct PortDialogValues {
    std::string portText;
    std::string baudText;
    std::string dataBitsText;
    int parityIndex = 0;  // the list position, which is the parity code
    int stopBitIndex = 0; // the list position, which is the stop-bit code
};

PortDialogValues dialogValuesFrom(const PortSettings& settings);

// Copies every value that differs from `settings` into it: the port name byte for byte (letter
// case counting), the baud text read as a decimal number, the data bits as the low 8 bits of
// their decimal reading. True when anything changed.
bool applyDialogValues(const PortDialogValues& values, PortSettings& settings);

} // namespace varnu
