#include "serial/QSerialPortDevice.h"

#include "serial/PortPath.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QThread>

#include <termios.h>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace varnu {

namespace {

using std::chrono::milliseconds;

// Qt's value of each parity and stop-bit code, in code order.
constexpr std::array kQtParities{QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
                                 QSerialPort::MarkParity, QSerialPort::SpaceParity};
constexpr std::array kQtStopBits{QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
static_assert(kQtParities.size() == static_cast<std::size_t>(Parity::Space) + 1);
static_assert(kQtStopBits.size() == static_cast<std::size_t>(StopBits::Two) + 1);

constexpr std::uint8_t kFewestDataBits = 5;
constexpr std::uint8_t kMostDataBits = 8;

// Nothing for a code beyond the table: settings are not range-checked before they reach here.
template <typename Code, typename QtValue, std::size_t N>
std::optional<QtValue> qtValueOf(const std::array<QtValue, N>& table, Code code) {
    const auto index = static_cast<std::size_t>(code);
    return index < N ? std::optional(table[index]) : std::nullopt;
}

// A value Qt reports that has no code reads as the first code.
template <typename Code, typename QtValue, std::size_t N>
Code codeOf(const std::array<QtValue, N>& table, QtValue value) {
    const auto it = std::find(table.begin(), table.end(), value);
    return static_cast<Code>(it == table.end() ? 0 : it - table.begin());
}

bool stickParity(Parity parity) {
    return parity == Parity::Mark || parity == Parity::Space;
}

} // namespace

QSerialPortDevice::QSerialPortDevice() : port_(std::make_unique<QSerialPort>()) {
    // A device that vanishes (a USB adapter pulled, the far end of a pseudo-terminal closed)
    // reports a resource error once; every later transfer then gives up at once.
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError) {
            gone_ = true;
        }
    });
}

QSerialPortDevice::~QSerialPortDevice() {
    close();
}

void QSerialPortDevice::moveToThread(QThread* thread) {
    port_->moveToThread(thread);
}

QThread* QSerialPortDevice::thread() const {
    return port_->thread();
}

bool QSerialPortDevice::open(const std::string& portName) {
    port_->setPortName(QString::fromStdString(devicePathFor(portName)));
    port_->clearError();
    gone_ = false;
    return port_->open(QIODevice::ReadWrite);
}

bool QSerialPortDevice::isOpen() const {
    return port_->isOpen();
}

void QSerialPortDevice::close() {
    if (port_->isOpen()) {
        port_->close();
    }
    port_->clearError();
    gone_ = false;
}

bool QSerialPortDevice::setQueueSizes(std::size_t inputBytes, std::size_t /*outputBytes*/) {
    // The kernel keeps its own queues; Qt's input buffer is the one bounded here. Output has
    // no bound to set: a write is handed over whole.
    port_->setReadBufferSize(static_cast<qint64>(inputBytes));
    return true;
}

bool QSerialPortDevice::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    return true;
}

std::optional<LineState> QSerialPortDevice::lineState() {
    if (!port_->isOpen()) {
        return std::nullopt;
    }
    termios tio{};
    if (::tcgetattr(port_->handle(), &tio) != 0) {
        return std::nullopt;
    }
    LineState state;
    state.baudRate = static_cast<std::uint32_t>(port_->baudRate());
    state.dataBits = static_cast<std::uint8_t>(port_->dataBits());
    state.parity = codeOf<Parity>(kQtParities, port_->parity());
    state.stopBits = codeOf<StopBits>(kQtStopBits, port_->stopBits());
    state.xonChar = tio.c_cc[VSTART];
    state.xoffChar = tio.c_cc[VSTOP];
    state.rtsControl = port_->isRequestToSend() ? RtsControl::Enable : RtsControl::Disable;
    state.binary = true;
    return state;
}

// The fields are written one by one; the first refusal fails the whole state. What this
// platform has no field for is left out: the XON/XOFF limits (no software flow control is
// asked for), the DTR handshake (Linux has no DTR flow control; DTR is raised after opening
// instead), binary mode (the port is raw) and parity checking (as on the projector line, bytes with
// a parity error are handed on and the frame checksum catches them).
bool QSerialPortDevice::setLineState(const LineState& state) {
    if (state.baudRate == 0 || state.baudRate > static_cast<std::uint32_t>(std::numeric_limits<qint32>::max())) {
        return false;
    }
    if (state.dataBits < kFewestDataBits || state.dataBits > kMostDataBits) {
        return false;
    }
    const std::optional<QSerialPort::Parity> parity = qtValueOf(kQtParities, state.parity);
    const std::optional<QSerialPort::StopBits> stopBits = qtValueOf(kQtStopBits, state.stopBits);
    if (!parity || !stopBits) {
        return false;
    }
    const bool applied = port_->setBaudRate(static_cast<qint32>(state.baudRate)) &&
                         port_->setDataBits(static_cast<QSerialPort::DataBits>(state.dataBits)) &&
                         port_->setParity(*parity) && (stickParity(state.parity) || clearStickParity()) &&
                         port_->setStopBits(*stopBits) && port_->setFlowControl(QSerialPort::NoFlowControl) &&
                         setControlCharacters(state.xonChar, state.xoffChar);
    if (!applied) {
        port_->clearError();
        return false;
    }
    // A pseudo-terminal has no RTS line and refuses it; the port is usable all the same.
    if (state.rtsControl == RtsControl::Enable && !port_->setRequestToSend(true)) {
        port_->clearError();
    }
    return true;
}

// Qt leaves CMSPAR set when mark or space parity is replaced by odd or even, which would make
// a real UART keep sending stick parity.
bool QSerialPortDevice::clearStickParity() {
    termios tio{};
    if (::tcgetattr(port_->handle(), &tio) != 0) {
        return false;
    }
    if ((tio.c_cflag & CMSPAR) == 0) {
        return true;
    }
    tio.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
    return ::tcsetattr(port_->handle(), TCSANOW, &tio) == 0;
}

bool QSerialPortDevice::setControlCharacters(std::uint8_t xon, std::uint8_t xoff) {
    termios tio{};
    if (::tcgetattr(port_->handle(), &tio) != 0) {
        return false;
    }
    tio.c_cc[VSTART] = xon;
    tio.c_cc[VSTOP] = xoff;
    return ::tcsetattr(port_->handle(), TCSANOW, &tio) == 0;
}

bool QSerialPortDevice::setDtr(bool raised) {
    const bool done = port_->setDataTerminalReady(raised);
    if (!done) {
        port_->clearError();
    }
    return done;
}

bool QSerialPortDevice::purge() {
    const bool done = port_->clear(QSerialPort::AllDirections);
    if (!done) {
        port_->clearError();
    }
    return done;
}

bool QSerialPortDevice::usable() const {
    return port_->isOpen() && !gone_;
}

WriteAttempt QSerialPortDevice::writeAttempt(std::span<const std::uint8_t> bytes, milliseconds waitLimit) {
    if (!usable()) {
        return {0, AttemptEnd::Failed};
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (port_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        port_->clear(QSerialPort::Output);
        port_->clearError();
        return {0, AttemptEnd::Failed};
    }
    const QDeadlineTimer deadline(writeAttemptLimit(timeouts_, bytes.size(), waitLimit));
    while (port_->bytesToWrite() > 0 && !deadline.hasExpired() && !gone_) {
        if (!port_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    const qint64 left = port_->bytesToWrite();
    if (left == 0) {
        return {bytes.size(), AttemptEnd::Completed};
    }
    // The attempt gave up: the rest is dropped so that the next attempt does not send it twice.
    const bool timedOut = !gone_ && (port_->error() == QSerialPort::TimeoutError || deadline.hasExpired());
    port_->clear(QSerialPort::Output);
    if (!gone_) {
        port_->clearError();
    }
    return {static_cast<std::size_t>(size - left), timedOut ? AttemptEnd::TimedOut : AttemptEnd::Failed};
}

std::size_t QSerialPortDevice::readAttempt(std::span<std::uint8_t> into, milliseconds waitLimit) {
    if (!usable()) {
        return 0;
    }
    const QDeadlineTimer deadline(readAttemptLimit(timeouts_, into.size(), waitLimit));
    const qint64 interval = timeouts_.readInterval.count();
    std::size_t got = 0;
    for (;;) {
        // waitForReadyRead waits only for new data: take what is already buffered first.
        const qint64 read =
            port_->read(reinterpret_cast<char*>(into.data() + got), static_cast<qint64>(into.size() - got));
        if (read > 0) {
            got += static_cast<std::size_t>(read);
        }
        if (got == into.size() || gone_) {
            break;
        }
        qint64 wait = deadline.remainingTime();
        if (got > 0 && interval > 0) {
            wait = std::min(wait, interval);
        }
        if (wait <= 0 || !port_->waitForReadyRead(static_cast<int>(wait))) {
            break;
        }
    }
    if (port_->error() == QSerialPort::TimeoutError) {
        port_->clearError();
    }
    return got;
}

} // namespace varnu
