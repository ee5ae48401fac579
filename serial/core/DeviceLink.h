#pragma once
// The serial link over a device and a clock: the port settings, open and close, and the
// timed transfers the transmit sequence uses. Used from one thread at a time.

#include "serial/core/Clock.h"
#include "serial/core/Link.h"
#include "serial/core/PortSettings.h"
#include "serial/core/SerialDevice.h"

#include <memory>
#include <optional>
#include <stop_token>

namespace varnu {

class DeviceLink : public Link {
public:
    DeviceLink(std::unique_ptr<SerialDevice> device, std::unique_ptr<Clock> clock);
    ~DeviceLink() override;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    const PortSettings& settings() const { return settings_; }
    // Takes effect at the next OpenPort.
    void setSettings(const PortSettings& settings) { settings_ = settings; }

    bool OpenPort();
    void ClosePort();
    bool isOpen() const;

    // Why the last OpenPort (or the reopen of a speed change) failed; nothing after one that
    // worked. A speed change the device makes in place keeps the port open; otherwise the port
    // is closed and opened again at the new speed.
    const std::optional<PortFailure>& openFailure() const { return openFailure_; }
    // The open port's device has gone away (an adapter unplugged): why, until the port is
    // closed. Every transfer fails at once meanwhile.
    std::optional<PortFailure> lostPort() const;

    // A stop request cuts the waits of a run short and ends a read after the attempt under way
    // (a second at most); a write ends on its own.
    void setStopToken(std::stop_token stop) { stop_ = std::move(stop); }

    std::size_t writePort(std::span<const std::uint8_t> bytes) override;
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override;
    void purge() override;
    void waitPumping(std::chrono::milliseconds period) override;
    bool reopenAt(std::uint32_t baudRate) override;

protected:
    SerialDevice& device() { return *device_; }

private:
    std::unique_ptr<SerialDevice> device_;
    std::unique_ptr<Clock> clock_;
    bool openAndRecord();

    PortSettings settings_;
    std::optional<PortFailure> openFailure_;
    std::stop_token stop_;
};

} // namespace varnu
