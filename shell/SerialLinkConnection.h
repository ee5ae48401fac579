#pragma once
// The main window's view of the serial link.

#include "shell/PortConnection.h"

namespace varnu {

class SerialLinkConnection : public PortConnection {
public:
    PortSettings settings() const override { return settings_; }
    void setSettings(const PortSettings& settings) override { settings_ = settings; }
    bool openPort() override { return false; }
    void closePort() override {}

private:
    PortSettings settings_;
};

} // namespace varnu
