#include "serial/core/DeviceLink.h"

#include "serial/core/PortControl.h"
#include "serial/core/Transfers.h"

namespace varnu {

DeviceLink::DeviceLink(std::unique_ptr<SerialDevice> device, std::unique_ptr<Clock> clock)
    : device_(std::move(device)), clock_(std::move(clock)) {}

DeviceLink::~DeviceLink() {
    varnu::ClosePort(*device_);
}

bool DeviceLink::OpenPort() {
    return varnu::OpenPort(*device_, settings_);
}

void DeviceLink::ClosePort() {
    varnu::ClosePort(*device_);
}

bool DeviceLink::isOpen() const {
    return device_->isOpen();
}

std::size_t DeviceLink::writePort(std::span<const std::uint8_t> bytes) {
    return WritePort(*device_, *clock_, bytes, stop_);
}

int DeviceLink::readPort(std::vector<std::uint8_t>& received, ReadMode mode) {
    return ReadPort(*device_, *clock_, received, mode, stop_);
}

void DeviceLink::purge() {
    if (device_->isOpen()) {
        device_->purge();
    }
}

void DeviceLink::waitPumping(std::chrono::milliseconds period) {
    WaitPumping(*clock_, period, stop_);
}

bool DeviceLink::reopenAt(std::uint32_t baudRate) {
    varnu::ClosePort(*device_);
    settings_.baudRate = baudRate;
    return varnu::OpenPort(*device_, settings_);
}

} // namespace varnu
