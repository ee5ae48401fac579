#pragma once
// What the main window needs of the serial link: its settings and opening and closing it.
// The application hands the real link in; tests hand in a fake that counts the calls.

#include "serial/core/PortSettings.h"

namespace varnu {

class PortConnection {
public:
    virtual ~PortConnection() = default;
    virtual PortSettings settings() const = 0;
    virtual void setSettings(const PortSettings& settings) = 0;
    virtual bool openPort() = 0;  // only called while the port is closed
    virtual void closePort() = 0; // harmless when the port is not open
};

} // namespace varnu
