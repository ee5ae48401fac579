#include "serial/PortDevice.h"

#include "serial/core/NetworkPort.h"

namespace varnu {

void PortDevice::moveToThread(QThread* thread) {
    serial_.moveToThread(thread);
    network_.moveToThread(thread);
}

bool PortDevice::open(const std::string& portName) {
    // Only called while the port is closed; the other device is closed too.
    active_ = isNetworkPortName(portName) ? static_cast<SerialDevice*>(&network_) : &serial_;
    return active_->open(portName);
}

} // namespace varnu
