#include "serial/SerialLink.h"

#include "serial/QSerialPortDevice.h"

namespace varnu {

SerialLink::SerialLink()
    : DeviceLink(std::make_unique<QSerialPortDevice>(), std::make_unique<SteadyClock>()),
      port_(static_cast<QSerialPortDevice*>(&device())) {}

void SerialLink::moveToThread(QThread* thread) {
    port_->moveToThread(thread);
}

QThread* SerialLink::thread() const {
    return port_->thread();
}

} // namespace varnu
