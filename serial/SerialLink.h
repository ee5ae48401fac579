#pragma once
// The application's one serial link on a real port: settings, OpenPort and ClosePort, and the
// timed transfers, all from DeviceLink. The port name chooses the device at each open: a
// serial device, or a network device server (tcp://HOST:PORT, rfc2217://HOST:PORT). A speed
// change keeps a network port's connection (SET-BAUDRATE) and reopens a serial port.
//
// Threads: the link is used from one thread at a time, the one that owns its port (at first
// the thread that made it). To run transfers on a worker QThread, call moveToThread(worker)
// on the owning thread before the worker starts using the link, and have the worker call
// moveToThread(back) when it is done; only then may the first thread use the link again.
// Destroy the link on its owning thread.

#include "serial/core/DeviceLink.h"

#include <optional>
#include <string>
#include <vector>

class QThread;

namespace varnu {

class PortDevice;

class SerialLink final : public DeviceLink {
public:
    SerialLink();

    void moveToThread(QThread* thread);
    QThread* thread() const;

    // What the user should hear once about the port (line settings that a network port
    // cannot carry); empty once taken.
    std::vector<std::string> takeNotices();

private:
    PortDevice* port_;
};

} // namespace varnu
