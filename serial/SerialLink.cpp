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

std::vector<std::string> SerialLink::takeNotices() {
    return port_->takeNotices();
}

} // namespace varnu
