#pragma once

#include <string>

namespace varnu {

// The device path opened for a port name: "COM1" to "COM4" are the first four on-board
// serial ports (/dev/ttyS0 to /dev/ttyS3); any other name or path is used as it stands.
std::string devicePathFor(const std::string& portName);

// The path that is opened for a port name: devicePathFor's, under /dev/ when it is a bare
// name ("ttyUSB0" is /dev/ttyUSB0), as QSerialPort reads port names.
std::string systemPathFor(const std::string& portName);

} // namespace varnu
