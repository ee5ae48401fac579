#pragma once
// One owner per port, whatever name it is opened by, root included. On Unix QSerialPort's lock
// file is named after the path it is given (a symbolic link and its target get two), exclusive
// access does not hold back root, and a lock file left by a process that has ended bars
// every user who cannot remove it. The guard there is the device itself, opened and locked
// with an exclusive advisory lock for as long as the port is open: the system drops that lock
// when the process ends, however it ends (PortGuard_unix.cpp). On Windows the system's own
// exclusive open already does all this (PortGuard_win.cpp).

#include "serial/core/PortFailure.h"

#include <optional>
#include <string>
#include <vector>

namespace varnu {

class PortGuard {
public:
    PortGuard() = default;
    PortGuard(const PortGuard&) = delete;
    PortGuard& operator=(const PortGuard&) = delete;
    ~PortGuard() { release(); }

    // Resolves `systemPath` to the device's own path, opens the device and locks it. On
    // success openName() is the path to hand QSerialPort; otherwise the reason comes back
    // (without the facts, which the caller adds).
    std::optional<PortFailure> acquire(const std::string& portName, const std::string& systemPath);
    void release();

    // The device's canonical path ("/dev/ttyUSB0" for a /dev/serial/by-id/ link).
    const std::string& devicePath() const { return devicePath_; }
    // The device's path, or, when a stale lock file that this user may not remove bars that
    // name, another name of the same open device, so that QSerialPort's lock file differs.
    const std::string& openName() const { return openName_; }
    // The device went away under the open port (unplugged, hung up): the system refuses even
    // to report its line settings.
    bool deviceGone() const;
    // A stale lock file that acquire removed, or empty.
    const std::string& clearedLockFile() const { return clearedLockFile_; }

private:
    int fd_ = -1;              // Unix: the device, locked
    std::vector<int> aliases_; // Unix: the device under other names, held with it
    std::string devicePath_;
    std::string openName_;
    std::string clearedLockFile_;
};

} // namespace varnu
