#pragma once
// The application's one serial link on a real port: settings, OpenPort and ClosePort, and the
// timed transfers, all from DeviceLink.
//
// Threads: the link is used from one thread at a time, the one that owns its port (at first
// the thread that made it). To run transfers on a worker QThread, call moveToThread(worker)
// on the owning thread before the worker starts using the link, and have the worker call
// moveToThread(back) when it is done; only then may the first thread use the link again.
// Destroy the link on its owning thread.

#include "serial/core/DeviceLink.h"

class QThread;

namespace varnu {

class QSerialPortDevice;

class SerialLink final : public DeviceLink {
public:
    SerialLink();

    void moveToThread(QThread* thread);
    QThread* thread() const;

private:
    QSerialPortDevice* port_;
};

} // namespace varnu
