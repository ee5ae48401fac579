#pragma once
// What the system can tell about a port and the machine: who holds a device, its lock file,
// the device's group and the user's, ModemManager and brltty. The platform files
// (PortFacts_unix.cpp, PortFacts_win.cpp) ask the system; everything above them sees plain
// values. Windows has no lock files, groups, ModemManager or brltty: there these say nothing.

#include "serial/core/PortFailure.h"
#include "serial/core/PortFailureText.h"

#include <string>

namespace varnu {

// Lock files and the holder they name are Unix's; PortFacts_unix.cpp and the port guard use them.
#ifndef _WIN32
// The lock file QSerialPort takes for a device path: "/var/lock/LCK..ttyUSB0" for
// "/dev/ttyUSB0", "/var/lock/LCK.._tmp_link" for "/tmp/link".
std::string lockFilePathFor(const std::string& devicePath);

// A lock file as it stands: the process it names, and whether that process still runs.
struct LockFileState {
    enum Kind {
        None,       // no lock file
        Live,       // it names a running process
        Stale,      // the process it names has ended (or its number now belongs to another program)
        Unreadable, // it cannot be read or names no process
    };
    Kind kind = None;
    PortHolder holder;
};

LockFileState readLockFile(const std::string& lockPath);

// Who holds the device: the owner of its advisory lock, else the running process its lock
// file names, else a process that has it open (the system shows other users' processes to
// the administrator only). Nothing when none is found.
std::optional<PortHolder> findPortHolder(const std::string& devicePath);
#endif // _WIN32

// Fills in what the system knows that matters for this kind of failure: the device's group
// and the user's for a refused permission, the holder of a port in use, ModemManager and
// brltty where they may have taken the port. The list of ports is the caller's.
void addSystemFacts(PortFailure& failure);

// Whether this user could open the device now, found without opening it (an open raises the
// modem lines and can reset the device on the far end).
PortAccess portAccess(const std::string& devicePath);

} // namespace varnu
