#pragma once
// The serial ports of this machine, and a failure completed with every fact that explains it.

#include "serial/core/PortFailure.h"

#include <vector>

namespace varnu {

// The ports Qt lists (real serial ports, never pseudo-terminals), each with its stable
// /dev/serial/by-id/ name where udev made one, in path order.
std::vector<SerialPortEntry> listSerialPorts();

// Adds what the system knows about the port (addSystemFacts), the USB ids of the device, and,
// where the port was not found or is no serial port, the ports that do exist.
void addPortFacts(PortFailure& failure);

} // namespace varnu
