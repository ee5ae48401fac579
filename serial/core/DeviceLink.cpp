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
    return openAndRecord();
}

bool DeviceLink::openAndRecord() {
    if (varnu::OpenPort(*device_, settings_)) {
        openFailure_.reset();
        return true;
    }
    openFailure_ = device_->failure().value_or(portFailure(PortProblem::Other, settings_.portName));
    return false;
}

std::optional<PortFailure> DeviceLink::lostPort() const {
    std::optional<PortFailure> failure = device_->failure();
    if (!device_->isOpen() || !failure || failure->problem != PortProblem::Lost)
        return std::nullopt;
    return failure;
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
    settings_.baudRate = baudRate;
    if (device_->isOpen() && device_->changeSpeed(baudRate)) {
        openFailure_.reset();
        return true;
    }
    varnu::ClosePort(*device_);
    return openAndRecord();
}

} // namespace varnu
