#pragma once
// The device behind a port name, chosen at each open: a network device server for
// "tcp://HOST:PORT" and "rfc2217://HOST:PORT", the serial device for every other name (COMn,
// device paths). The Settings dialog can thus switch a link between the two.

#include "serial/NetworkDevice.h"
#include "serial/QSerialPortDevice.h"

namespace varnu {

class PortDevice final : public SerialDevice {
public:
    // Hands both devices to `thread`; call it on the thread that uses them now.
    void moveToThread(QThread* thread);
    QThread* thread() const { return serial_.thread(); }

    // What the user should hear once about a network port (line settings it cannot carry);
    // empty once taken.
    std::vector<std::string> takeNotices() { return network_.takeNotices(); }

    bool open(const std::string& portName) override;
    bool isOpen() const override { return active_->isOpen(); }
    void close() override { active_->close(); }
    bool setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) override {
        return active_->setQueueSizes(inputBytes, outputBytes);
    }
    bool setTimeouts(const CommTimeouts& timeouts) override { return active_->setTimeouts(timeouts); }
    std::optional<LineState> lineState() override { return active_->lineState(); }
    bool setLineState(const LineState& state) override { return active_->setLineState(state); }
    bool setDtr(bool raised) override { return active_->setDtr(raised); }
    bool purge() override { return active_->purge(); }
    bool changeSpeed(std::uint32_t baudRate) override { return active_->changeSpeed(baudRate); }
    WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds waitLimit) override {
        return active_->writeAttempt(bytes, waitLimit);
    }
    std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) override {
        return active_->readAttempt(into, waitLimit);
    }
    std::optional<PortFailure> failure() const override { return active_->failure(); }

private:
    QSerialPortDevice serial_;
    NetworkDevice network_;
    SerialDevice* active_ = &serial_;
};

} // namespace varnu
