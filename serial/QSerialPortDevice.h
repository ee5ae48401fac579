#pragma once
// The serial device on the Qt Serial Port module. Each attempt waits against one deadline
// with waitForReadyRead / waitForBytesWritten: the thread sleeps in poll, nothing spins.
// The port belongs to one thread at a time (see moveToThread).

#include "serial/PortGuard.h"
#include "serial/core/SerialDevice.h"

#include <memory>
#include <string>

class QSerialPort;
class QThread;

namespace varnu {

class QSerialPortDevice final : public SerialDevice {
public:
    QSerialPortDevice();
    ~QSerialPortDevice() override;

    // Hands the port to `thread`; call it on the thread that uses the port now.
    void moveToThread(QThread* thread);
    QThread* thread() const;

    bool open(const std::string& portName) override;
    bool isOpen() const override;
    void close() override;
    bool setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) override;
    bool setTimeouts(const CommTimeouts& timeouts) override;
    std::optional<LineState> lineState() override;
    bool setLineState(const LineState& state) override;
    bool setDtr(bool raised) override;
    bool purge() override;
    WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds waitLimit) override;
    std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) override;
    std::optional<PortFailure> failure() const override { return failure_; }

private:
    // Open and still there: a port whose device vanished moves nothing until it is reopened.
    bool usable() const;
    // The device went away: every transfer fails from now on, and failure() says Lost.
    void noteGone(std::string reason);
    // Closes QSerialPort's side of a port whose device went away, so that its notifiers stop
    // polling a hung-up device; the port counts as open (and lost) until close().
    void retireGonePort();
    // A failure of this kind on the port being opened, without the facts yet.
    PortFailure failureOf(PortProblem problem, std::string systemText, std::string setting = {}) const;
    // Records it with every fact that explains it.
    void recordFailure(PortProblem problem, std::string systemText, std::string setting = {});
    bool refuseSetting(std::string setting);

    std::unique_ptr<QSerialPort> port_;
    PortGuard guard_; // held while the port is open
    std::string portName_;
    std::optional<PortFailure> failure_;
    CommTimeouts timeouts_;
    bool gone_ = false;
};

} // namespace varnu
