// The port guard on Windows: the system itself gives a port one owner. QSerialPort opens the
// device for exclusive access (no sharing), which holds back every other process, the
// administrator's included, whatever name it uses ("COM3", "\\.\COM3"); the system lets go
// when the process ends, and there is no lock file to leave behind. So the guard only keeps
// the names, and a port in use is refused by QSerialPort's open ("Access is denied").

#include "serial/PortGuard.h"

namespace varnu {

std::optional<PortFailure> PortGuard::acquire(const std::string& /*portName*/, const std::string& systemPath) {
    release();
    devicePath_ = systemPath;
    openName_ = systemPath;
    return std::nullopt;
}

// Qt tells a device that went away as a resource error by itself.
bool PortGuard::deviceGone() const {
    return false;
}

void PortGuard::release() {
    devicePath_.clear();
    openName_.clear();
    clearedLockFile_.clear();
}

} // namespace varnu
