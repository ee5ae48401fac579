#pragma once
// The main window's view of the application's serial link.

#include "serial/SerialLink.h"

#include "shell/PortConnection.h"
#include <iostream>

namespace varnu {

class SerialLinkConnection : public PortConnection {
public:
    explicit SerialLinkConnection(SerialLink& link) : link_(link) {}

    PortSettings settings() const override { return link_.settings(); }
    void setSettings(const PortSettings& settings) override { link_.setSettings(settings); }
    // What a network port has to say once goes to stderr, next to the window.
    bool openPort() override {
        const bool opened = link_.OpenPort();
        for (const std::string& notice : link_.takeNotices())
            std::cerr << "varnu: " << notice << '\n';
        return opened;
    }
    void closePort() override { link_.ClosePort(); }
    std::optional<PortFailure> openFailure() const override { return link_.openFailure(); }
    std::optional<PortFailure> lostPort() const override { return link_.lostPort(); }
    bool isOpen() const override { return link_.isOpen(); }

    Link& link() override { return link_; }
    void moveToThread(QThread* thread) override { link_.moveToThread(thread); }
    void setStopToken(std::stop_token stop) override { link_.setStopToken(std::move(stop)); }

private:
    SerialLink& link_;
};

} // namespace varnu
