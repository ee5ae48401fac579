#pragma once
// What the main window needs of the serial link: its settings, opening and closing it, and the
// link itself for Clear and for the transmit run. The application hands the real link in;
// tests hand in a fake that counts the calls.

#include <optional>
#include <stop_token>

#include "serial/core/Link.h"
#include "serial/core/PortFailure.h"
#include "serial/core/PortSettings.h"

class QThread;

namespace varnu {

class PortConnection {
public:
    virtual ~PortConnection() = default;
    virtual PortSettings settings() const = 0;
    virtual void setSettings(const PortSettings& settings) = 0;
    virtual bool openPort() = 0;  // only called while the port is closed
    virtual void closePort() = 0; // harmless when the port is not open
    // Why the last openPort failed; nothing after one that worked.
    virtual std::optional<PortFailure> openFailure() const = 0;
    // The open port's device went away (an adapter unplugged): why. Asked by the thread that
    // has the link.
    virtual std::optional<PortFailure> lostPort() const = 0;
    // Asked on the thread that holds the link (not during a transmit run).
    virtual bool isOpen() const = 0;

    // The transfers. Used from one thread at a time: a transmit run hands the link to its
    // worker with moveToThread(worker), and the worker hands it back when it is done.
    virtual Link& link() = 0;
    virtual void moveToThread(QThread* thread) = 0;
    // A stop request cuts the link's waits short (the window closing during a run).
    virtual void setStopToken(std::stop_token stop) = 0;
};

} // namespace varnu
