#pragma once
// Opening, configuring and closing the port over the device-control steps.

#include "serial/core/PortSettings.h"
#include "serial/core/SerialDevice.h"

namespace varnu {

// The time-outs every open port gets.
CommTimeouts portTimeouts();

// The driver's line state with the fields this program controls replaced; every other field
// stays as the driver reported it.
LineState withPortSettings(LineState state, const PortSettings& settings);

// Opens and configures the port; false leaves it closed. Called only while it is closed.
// Refusals of DTR and of the purge are ignored; a line state the driver refuses (or cannot
// report) fails the open.
bool OpenPort(SerialDevice& device, const PortSettings& settings);

// Drops DTR and closes the device when it is open; nothing otherwise.
void ClosePort(SerialDevice& device);

} // namespace varnu
