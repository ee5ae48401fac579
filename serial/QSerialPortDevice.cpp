#include "serial/QSerialPortDevice.h"

#include "serial/LineControl.h"
#include "serial/MachinePorts.h"
#include "serial/core/PortPath.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QThread>

#include <algorithm>
#include <array>
#include <cerrno>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace varnu {

namespace {

using std::chrono::milliseconds;

// Qt's value of each parity and stop-bit code, in code order.
constexpr std::array kQtParities{QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
                                 QSerialPort::MarkParity, QSerialPort::SpaceParity};
constexpr std::array kQtStopBits{QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
static_assert(kQtParities.size() == static_cast<std::size_t>(Parity::Space) + 1);
static_assert(kQtStopBits.size() == static_cast<std::size_t>(StopBits::Two) + 1);

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

// Why QSerialPort refused to open a device the guard had already opened and locked: the
// permission to the device is proven, so a permission error is its lock file's.
PortProblem problemOfQtOpen(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortProblem::NoSuchDevice;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return PortProblem::InUse;
    case QSerialPort::UnsupportedOperationError:
        return PortProblem::NotSerial;
    default:
        return PortProblem::Other;
    }
}

} // namespace

QSerialPortDevice::QSerialPortDevice() : port_(std::make_unique<QSerialPort>()) {
    // Qt tells a device that went away (a USB adapter pulled, the far end of a pseudo-terminal
    // closed) as a resource error, or as a read error when errno held something else by then:
    // the device itself decides. Every later transfer then gives up at once. Gathering the facts
    // leaves errno as it was, since Qt reads it after emitting.
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError error) {
        const bool failed =
            error == QSerialPort::ResourceError || error == QSerialPort::ReadError || error == QSerialPort::WriteError;
        if (!failed || gone_ || !port_->isOpen()) {
            return;
        }
        const int systemError = errno;
        if (error == QSerialPort::ResourceError || guard_.deviceGone()) {
            noteGone(port_->errorString().toStdString());
            // Not from inside Qt's own signal; an attempt under way closes it sooner.
            QMetaObject::invokeMethod(
                port_.get(), [this] { retireGonePort(); }, Qt::QueuedConnection);
        }
        errno = systemError;
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
    port_->clearError();
    gone_ = false;
    failure_.reset();
    portName_ = portName;
    if (std::optional<PortFailure> refused = guard_.acquire(portName, systemPathFor(portName))) {
        addPortFacts(*refused);
        failure_ = std::move(refused);
        return false;
    }
    port_->setPortName(QString::fromStdString(guard_.openName()));
    if (!port_->open(QIODevice::ReadWrite)) {
        PortFailure failure = failureOf(problemOfQtOpen(port_->error()), port_->errorString().toStdString());
        port_->clearError();
        guard_.release(); // first: the facts must not find this process holding the device
        addPortFacts(failure);
        failure_ = std::move(failure);
        return false;
    }
    return true;
}

PortFailure QSerialPortDevice::failureOf(PortProblem problem, std::string systemText, std::string setting) const {
    const std::string& device = guard_.devicePath();
    PortFailure failure = portFailure(problem, portName_, device == portName_ ? std::string() : device);
    failure.systemText = std::move(systemText);
    failure.setting = std::move(setting);
    failure.facts.staleLockFile = guard_.clearedLockFile();
    if (problem == PortProblem::NotSerial)
        failure.facts.kind = "a device of another kind";
    return failure;
}

void QSerialPortDevice::recordFailure(PortProblem problem, std::string systemText, std::string setting) {
    PortFailure failure = failureOf(problem, std::move(systemText), std::move(setting));
    addPortFacts(failure);
    failure_ = std::move(failure);
}

bool QSerialPortDevice::refuseSetting(std::string setting) {
    const std::string reason =
        port_->error() == QSerialPort::NoError ? std::string() : port_->errorString().toStdString();
    port_->clearError();
    recordFailure(PortProblem::SettingRefused, reason, std::move(setting));
    return false;
}

void QSerialPortDevice::noteGone(std::string reason) {
    gone_ = true;
    recordFailure(PortProblem::Lost, std::move(reason));
}

void QSerialPortDevice::retireGonePort() {
    if (gone_ && port_->isOpen()) {
        port_->close();
        port_->clearError();
    }
}

bool QSerialPortDevice::isOpen() const {
    return port_->isOpen() || gone_;
}

void QSerialPortDevice::close() {
    if (port_->isOpen()) {
        port_->close();
    }
    guard_.release(); // after the port: the next owner finds it closed
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
    std::string whyNot;
    const std::optional<FlowCharacters> flow = flowCharactersOf(*port_, whyNot);
    if (!flow) {
        recordFailure(PortProblem::Other, whyNot);
        return std::nullopt;
    }
    LineState state;
    state.baudRate = static_cast<std::uint32_t>(port_->baudRate());
    state.dataBits = static_cast<std::uint8_t>(port_->dataBits());
    state.parity = codeOf<Parity>(kQtParities, port_->parity());
    state.stopBits = codeOf<StopBits>(kQtStopBits, port_->stopBits());
    state.xonChar = flow->xon;
    state.xoffChar = flow->xoff;
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
    port_->clearError();
    const std::string speed = speedText(state.baudRate);
    const std::string dataBits = dataBitsText(state.dataBits);
    if (state.baudRate == 0 || state.baudRate > static_cast<std::uint32_t>(std::numeric_limits<qint32>::max())) {
        return refuseSetting(speed);
    }
    if (state.dataBits < kFewestDataBits || state.dataBits > kMostDataBits) {
        return refuseSetting(dataBits);
    }
    const std::optional<QSerialPort::Parity> parity = qtValueOf(kQtParities, state.parity);
    const std::optional<QSerialPort::StopBits> stopBits = qtValueOf(kQtStopBits, state.stopBits);
    if (!parity) {
        return refuseSetting(parityText(state.parity));
    }
    if (!stopBits) {
        return refuseSetting(stopBitsText(state.stopBits));
    }
    // In order; the first the driver refuses is the one the failure names.
    const std::pair<std::function<bool()>, std::string> steps[] = {
        {[&] { return port_->setBaudRate(static_cast<qint32>(state.baudRate)); }, speed},
        {[&] { return port_->setDataBits(static_cast<QSerialPort::DataBits>(state.dataBits)); }, dataBits},
        {[&] { return port_->setParity(*parity) && (stickParity(state.parity) || clearStickParity(*port_)); },
         parityText(state.parity)},
        {[&] { return port_->setStopBits(*stopBits); }, stopBitsText(state.stopBits)},
        {[&] { return port_->setFlowControl(QSerialPort::NoFlowControl); }, "no flow control"},
        {[&] {
             return setFlowCharacters(*port_, {state.xonChar, state.xoffChar});
         },
         "the XON and XOFF characters"},
    };
    for (const auto& [apply, setting] : steps) {
        if (!apply()) {
            return refuseSetting(setting);
        }
    }
    // A pseudo-terminal has no RTS line and refuses it; the port is usable all the same.
    if (state.rtsControl == RtsControl::Enable && !port_->setRequestToSend(true)) {
        port_->clearError();
    }
    return true;
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
        retireGonePort();
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
    port_->clearError();
    retireGonePort();
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
    retireGonePort();
    return got;
}

} // namespace varnu
