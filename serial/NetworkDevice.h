#pragma once
// A serial line reached through a network device server: raw bytes over TCP, or Telnet with
// the COM-PORT-OPTION, which also carries the line settings, DTR, RTS and purges to the
// server's serial port. Each attempt waits against one deadline with the socket's blocking
// waits, as the serial device does: the thread sleeps in poll, nothing spins. The socket
// belongs to one thread at a time (see moveToThread).

#include "serial/core/ComPortClient.h"
#include "serial/core/NetworkPort.h"
#include "serial/core/SerialDevice.h"

#include <QtGlobal>

#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QDeadlineTimer;
class QTcpSocket;
class QThread;

namespace varnu {

class NetworkDevice final : public SerialDevice {
public:
    NetworkDevice();
    ~NetworkDevice() override;

    // Hands the socket to `thread`; call it on the thread that uses the socket now.
    void moveToThread(QThread* thread);

    // Connects to the port name's host (a host that does not answer gives up after
    // kConnectTimeoutMs) and, for rfc2217://, negotiates the COM-PORT-OPTION.
    bool open(const std::string& portName) override;
    bool isOpen() const override { return open_; }
    void close() override;
    bool setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) override;
    bool setTimeouts(const CommTimeouts& timeouts) override;
    std::optional<LineState> lineState() override;
    bool setLineState(const LineState& state) override;
    bool setDtr(bool raised) override;
    bool purge() override;
    WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds waitLimit) override;
    std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) override;

    // The line speed changes on the open connection (SET-BAUDRATE); false when the connection
    // is gone or the server puts another speed in force.
    bool changeSpeed(std::uint32_t baudRate) override;

    // Why the last open failed, or why the open connection stopped working, as every port
    // reports it.
    std::optional<PortFailure> failure() const override;
    // What the user should hear about this port, each thing once (line settings that cannot
    // reach the server's serial port); empty once taken.
    std::vector<std::string> takeNotices() { return std::exchange(notices_, {}); }

private:
    bool connected() const;
    bool speaksComPort() const;
    // Takes what the socket holds into the input queue, waiting up to `waitMs` when it holds
    // nothing; false when nothing came (the wait ran out or the connection is gone).
    bool pump(qint64 waitMs);
    void takeAvailable();
    void flushOutgoing();
    // Hands the bytes to the system at once; a connection found closed is lost.
    void send(const std::vector<std::uint8_t>& bytes);
    // Reads until `done()` holds or the deadline passes; whether it holds.
    template <typename Done> bool awaitAnswers(const QDeadlineTimer& deadline, Done done);
    void lose(NetworkFailureKind kind, std::string detail = {});
    // Records the line setting that cannot reach the server's serial port or that the server
    // would not take; false.
    bool refuseSetting(std::string setting);
    void tellOnce(std::string text);

    std::unique_ptr<QTcpSocket> socket_;
    NetworkAddress address_;
    std::string portName_;
    std::optional<ComPortClient> comPort_; // rfc2217:// only
    std::deque<std::uint8_t> input_;       // data received and not yet read
    std::size_t inputLimit_ = 0;
    CommTimeouts timeouts_;
    LineState line_;
    bool open_ = false;
    bool lost_ = false;
    // The server left a SET-CONTROL unanswered: later ones on this connection are sent but
    // not waited for.
    bool controlsIgnored_ = false;
    bool purgeIgnored_ = false; // the same for PURGE-DATA
    std::optional<NetworkFailure> failure_;
    std::vector<std::string> notices_;
    std::set<std::string> told_;
};

} // namespace varnu
