#include "serial/SerialLink.h"

#include "serial/PortDevice.h"

namespace varnu {

SerialLink::SerialLink()
    : DeviceLink(std::make_unique<PortDevice>(), std::make_unique<SteadyClock>()),
      port_(static_cast<PortDevice*>(&device())) {}

void SerialLink::moveToThread(QThread* thread) {
    port_->moveToThread(thread);
}

QThread* SerialLink::thread() const {
    return port_->thread();
}

bool SerialLink::reopenAt(std::uint32_t baudRate) {
    if (!port_->onNetwork() || !port_->isOpen())
        return DeviceLink::reopenAt(baudRate);
    PortSettings changed = settings();
    changed.baudRate = baudRate;
    setSettings(changed);
    if (port_->network().changeBaudRate(baudRate))
        return true;
    ClosePort();
    return false;
}

std::vector<std::string> SerialLink::takeNotices() {
    return port_->network().takeNotices();
}

} // namespace varnu
