#pragma once
// The main window's view of the application's serial link.

#include "serial/SerialLink.h"
#include "shell/PortConnection.h"

namespace varnu {

class SerialLinkConnection : public PortConnection {
public:
    explicit SerialLinkConnection(SerialLink& link) : link_(link) {}

    PortSettings settings() const override { return link_.settings(); }
    void setSettings(const PortSettings& settings) override { link_.setSettings(settings); }
    bool openPort() override { return link_.OpenPort(); }
    void closePort() override { link_.ClosePort(); }
    bool isOpen() const override { return link_.isOpen(); }

    Link& link() override { return link_; }
    void moveToThread(QThread* thread) override { link_.moveToThread(thread); }
    void setStopToken(std::stop_token stop) override { link_.setStopToken(std::move(stop)); }

private:
    SerialLink& link_;
};

} // namespace varnu
