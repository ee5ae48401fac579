// The facts about a port on Windows. The system keeps no lock files, the device has no group
// to be in, and it does not name the process that holds a port without walking every
// process's handles: the failure's own words (QSerialPort's "Access is denied" for a port in
// use) and the list of ports (MachinePorts.cpp) are what there is to tell.

#include "serial/PortFacts.h"

namespace varnu {

void addSystemFacts(PortFailure& /*failure*/) {}

// Only an open would tell, and an open raises the modem lines.
PortAccess portAccess(const std::string& /*devicePath*/) {
    return {PortAccessKind::Unknown, {}};
}

} // namespace varnu
