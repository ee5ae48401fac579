#pragma once
// The device a serial port name opens, by the naming of each system. On Linux "COM1" to "COM4"
// are the first four on-board serial ports (/dev/ttyS0 to /dev/ttyS3), so that the names the
// Port Settings dialog offers open the same ports there; on Windows COMn is the system's own
// name and stays as it is. Any other name or path is used as it stands.

#include <string>

namespace varnu {

enum class PortNaming {
    Linux,     // COM1 to COM4 are /dev/ttyS0 to /dev/ttyS3; bare names are under /dev/
    OtherUnix, // no COMn aliases; bare names are under /dev/
    Windows,   // names as they stand ("COM10"; Qt adds the \\.\ prefix where Windows needs it)
};

#if defined(_WIN32)
inline constexpr PortNaming kThisSystemNaming = PortNaming::Windows;
#elif defined(__linux__)
inline constexpr PortNaming kThisSystemNaming = PortNaming::Linux;
#else
inline constexpr PortNaming kThisSystemNaming = PortNaming::OtherUnix;
#endif

// The device path opened for a port name, before /dev/ is put in front of a bare name.
std::string devicePathFor(const std::string& portName, PortNaming naming = kThisSystemNaming);

// The path that is opened for a port name: devicePathFor's, under /dev/ on Unix when it is a
// bare name ("ttyUSB0" is /dev/ttyUSB0), as QSerialPort reads port names.
std::string systemPathFor(const std::string& portName, PortNaming naming = kThisSystemNaming);

} // namespace varnu
