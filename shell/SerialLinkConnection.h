#pragma once
// The main window's view of the application's serial link.

#include "serial/SerialLink.h"
#include "shell/PortConnection.h"

namespace varnu {

class SerialLinkConnection : public PortConnection {
public:
    explicit SerialLinkConnection(SerialLink& link) : link(link) {}

    PortSettings settings() const override { return link.settings(); }
    void setSettings(const PortSettings& settings) override { link.setSettings(settings); }
    bool openPort() override { return link.OpenPort(); }
    void closePort() override { link.ClosePort(); }

private:
    SerialLink& link;
};

} // namespace varnu
