#include "serial/NetworkDevice.h"

#include "serial/core/LinkTimings.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <utility>

namespace varnu {

namespace {

using std::chrono::milliseconds;

// A closing connection is given this long to say goodbye (our last requests sent, the far
// end's close seen); then it is cut.
constexpr milliseconds kCloseWaitMs{100};

// Precise: the read attempts' interval and total time-outs hold to the millisecond.
QDeadlineTimer deadlineIn(milliseconds period) {
    return QDeadlineTimer(period, Qt::PreciseTimer);
}

int waitMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

NetworkFailureKind connectFailureKind(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return NetworkFailureKind::Refused;
    case QAbstractSocket::HostNotFoundError:
        return NetworkFailureKind::HostUnknown;
    case QAbstractSocket::SocketTimeoutError:
        return NetworkFailureKind::NoAnswer;
    case QAbstractSocket::RemoteHostClosedError:
        return NetworkFailureKind::Dropped;
    default:
        return NetworkFailureKind::Other;
    }
}

} // namespace

NetworkDevice::NetworkDevice() : socket_(std::make_unique<QTcpSocket>()), inputLimit_(kInputQueueBytes) {}

NetworkDevice::~NetworkDevice() {
    close();
}

void NetworkDevice::moveToThread(QThread* thread) {
    socket_->moveToThread(thread);
}

bool NetworkDevice::connected() const {
    return open_ && !lost_;
}

bool NetworkDevice::speaksComPort() const {
    return comPort_ && comPort_->acceptance() == ComPortClient::Acceptance::Accepted;
}

std::optional<PortFailure> NetworkDevice::failure() const {
    if (!failure_)
        return std::nullopt;
    return portFailureOf(*failure_, portName_, open_ && lost_);
}

void NetworkDevice::lose(NetworkFailureKind kind, std::string detail) {
    lost_ = true;
    failure_ = NetworkFailure{kind, address_, std::move(detail)};
}

bool NetworkDevice::refuseSetting(std::string setting) {
    failure_ = NetworkFailure{NetworkFailureKind::SettingRefused, address_, std::move(setting)};
    return false;
}

void NetworkDevice::tellOnce(std::string text) {
    if (told_.insert(text).second)
        notices_.push_back(std::move(text));
}

bool NetworkDevice::open(const std::string& portName) {
    close();
    failure_.reset();
    lost_ = false;
    controlsIgnored_ = false;
    purgeIgnored_ = false;
    line_ = LineState{};
    portName_ = portName;

    const auto parsed = parseNetworkPortName(portName);
    if (const auto* error = std::get_if<PortNameError>(&parsed)) {
        failure_.emplace();
        failure_->kind = NetworkFailureKind::BadName;
        failure_->detail = error->message;
        return false;
    }
    address_ = std::get<NetworkAddress>(parsed);
    socket_->connectToHost(QString::fromStdString(address_.host), address_.port);
    if (!socket_->waitForConnected(static_cast<int>(kConnectTimeoutMs.count()))) {
        const bool stillTrying = socket_->state() != QAbstractSocket::UnconnectedState;
        failure_ = NetworkFailure{stillTrying ? NetworkFailureKind::NoAnswer : connectFailureKind(socket_->error()),
                                  address_, socket_->errorString().toStdString()};
        socket_->abort();
        return false;
    }
    // Frames and their one-byte answers are small: each goes out at once, not after the
    // previous one is acknowledged.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    open_ = true;

    if (address_.protocol == NetworkProtocol::RawTcp) {
        tellOnce(portName + " carries bytes only: the line settings and the port-speed switch cannot reach the "
                            "device server's serial port; they stay as the server has them");
        return true;
    }
    comPort_.emplace();
    send(comPort_->start());
    const QDeadlineTimer deadline = deadlineIn(kComPortReplyMs);
    awaitAnswers(deadline, [this] { return comPort_->acceptance() != ComPortClient::Acceptance::Pending; });
    if (lost_) {
        close();
        return false;
    }
    if (!speaksComPort())
        tellOnce(portName + ": the device server does not take the COM-PORT-OPTION: the line settings and the "
                            "port-speed switch cannot reach its serial port; they stay as the server has them");
    return true;
}

void NetworkDevice::close() {
    if (socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->flush();
        socket_->disconnectFromHost();
        if (socket_->state() != QAbstractSocket::UnconnectedState)
            socket_->waitForDisconnected(static_cast<int>(kCloseWaitMs.count()));
        socket_->abort();
    }
    comPort_.reset();
    input_.clear();
    open_ = false;
}

bool NetworkDevice::setQueueSizes(std::size_t inputBytes, std::size_t /*outputBytes*/) {
    // The input queue is ours; the system's socket buffers are larger than any output queue.
    inputLimit_ = inputBytes;
    return true;
}

bool NetworkDevice::setTimeouts(const CommTimeouts& timeouts) {
    timeouts_ = timeouts;
    return true;
}

std::optional<LineState> NetworkDevice::lineState() {
    if (!connected())
        return std::nullopt;
    return line_;
}

bool NetworkDevice::setLineState(const LineState& state) {
    if (!connected())
        return false;
    if (state.baudRate == 0)
        return refuseSetting(speedText(state.baudRate));
    if (!speaksComPort()) {
        line_ = state; // nothing reaches the far side: said once at the open
        return true;
    }
    if (!comPort_->sendLineState(state))
        return refuseSetting(comPort_->refusedLineSetting().value_or(""));
    comPort_->sendControl(ComPortClient::kNoFlowControl);
    if (state.rtsControl == RtsControl::Enable)
        comPort_->sendControl(ComPortClient::kRtsOn);
    flushOutgoing();
    const QDeadlineTimer deadline = deadlineIn(kComPortReplyMs);
    const auto controlsAnswered = [this, &state] {
        return comPort_->controlAnswer(ComPortClient::kNoFlowControl) != ComPortClient::Answer::None &&
               (state.rtsControl != RtsControl::Enable ||
                comPort_->controlAnswer(ComPortClient::kRtsOn) != ComPortClient::Answer::None);
    };
    awaitAnswers(deadline, [&] { return comPort_->lineStateAnswered() && controlsAnswered(); });
    if (lost_)
        return false;
    if (std::optional<std::string> refused = comPort_->refusedLineSetting())
        return refuseSetting(std::move(*refused));
    // Silence is a refusal, but not one that keeps the port from being used.
    if (!comPort_->lineStateAnswered())
        tellOnce(portName_ + ": the device server did not confirm the line settings");
    controlsIgnored_ = !controlsAnswered();
    line_ = state;
    return true;
}

bool NetworkDevice::setDtr(bool raised) {
    if (!connected() || !speaksComPort())
        return false;
    const std::uint8_t value = raised ? ComPortClient::kDtrOn : ComPortClient::kDtrOff;
    comPort_->sendControl(value);
    flushOutgoing();
    if (controlsIgnored_)
        return false;
    const QDeadlineTimer deadline = deadlineIn(kComPortReplyMs);
    awaitAnswers(deadline, [&] { return comPort_->controlAnswer(value) != ComPortClient::Answer::None; });
    const ComPortClient::Answer answer = comPort_->controlAnswer(value);
    controlsIgnored_ = answer == ComPortClient::Answer::None;
    return answer == ComPortClient::Answer::AsAsked;
}

bool NetworkDevice::purge() {
    if (!connected())
        return false;
    // What has arrived is read first, so that commands among it are still seen.
    takeAvailable();
    input_.clear();
    if (!speaksComPort())
        return true;
    const std::uint8_t both = ComPortClient::kPurgeBoth;
    comPort_->send(ComPortClient::Request::PurgeData, std::span(&both, 1));
    flushOutgoing();
    if (purgeIgnored_)
        return false;
    // The answer is waited for: data before it in the stream left the server before the purge
    // and is dropped too, and the answer is acknowledged by our next write rather than late,
    // which would hold the server's next small write back (Nagle) by tens of milliseconds.
    const QDeadlineTimer deadline = deadlineIn(kComPortReplyMs);
    const auto answered = [this] {
        return comPort_->answer(ComPortClient::Request::PurgeData) != ComPortClient::Answer::None;
    };
    awaitAnswers(deadline, answered);
    input_.clear();
    purgeIgnored_ = !answered();
    return !purgeIgnored_;
}

bool NetworkDevice::changeSpeed(std::uint32_t baudRate) {
    if (!connected() || baudRate == 0)
        return false;
    if (speaksComPort()) {
        comPort_->send(ComPortClient::Request::SetBaudRate, ComPortClient::baudRateValue(baudRate));
        flushOutgoing();
        const QDeadlineTimer deadline = deadlineIn(kComPortReplyMs);
        awaitAnswers(deadline, [this] {
            return comPort_->answer(ComPortClient::Request::SetBaudRate) != ComPortClient::Answer::None;
        });
        if (lost_ || comPort_->answer(ComPortClient::Request::SetBaudRate) == ComPortClient::Answer::Differs)
            return false;
    }
    line_.baudRate = baudRate;
    purge();
    return true;
}

void NetworkDevice::flushOutgoing() {
    if (!comPort_)
        return;
    send(comPort_->takeOutgoing());
}

void NetworkDevice::send(const std::vector<std::uint8_t>& bytes) {
    if (bytes.empty() || lost_)
        return;
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        lose(NetworkFailureKind::Dropped);
        return;
    }
    socket_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    socket_->flush();
}

void NetworkDevice::takeAvailable() {
    const QByteArray raw = socket_->readAll();
    if (raw.isEmpty())
        return;
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(raw.constData()), static_cast<std::size_t>(raw.size()));
    std::vector<std::uint8_t> data;
    if (comPort_) {
        comPort_->receive(bytes, data);
        flushOutgoing();
    } else {
        data.assign(bytes.begin(), bytes.end());
    }
    // Beyond the input queue bytes are lost, as on a serial port nobody reads.
    const std::size_t room = inputLimit_ > input_.size() ? inputLimit_ - input_.size() : 0;
    input_.insert(input_.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(room, data.size())));
}

bool NetworkDevice::pump(qint64 waitMs) {
    if (socket_->bytesAvailable() == 0) {
        if (lost_ || waitMs <= 0)
            return false;
        socket_->waitForReadyRead(static_cast<int>(waitMs));
        // The far end may have closed in the same wait that brought data.
        if (socket_->state() != QAbstractSocket::ConnectedState && !lost_)
            lose(socket_->error() == QAbstractSocket::RemoteHostClosedError ? NetworkFailureKind::Dropped
                                                                            : NetworkFailureKind::Other,
                 socket_->errorString().toStdString());
        // What came with a close is still there to be taken.
        if (socket_->bytesAvailable() == 0)
            return false;
    }
    takeAvailable();
    return true;
}

template <typename Done> bool NetworkDevice::awaitAnswers(const QDeadlineTimer& deadline, Done done) {
    while (!done()) {
        if (!pump(deadline.remainingTime()))
            return done();
    }
    return true;
}

WriteAttempt NetworkDevice::writeAttempt(std::span<const std::uint8_t> bytes, milliseconds waitLimit) {
    if (!connected())
        return {0, AttemptEnd::Failed};
    std::vector<std::uint8_t> wire;
    if (comPort_)
        ComPortClient::appendData(bytes, wire);
    else
        wire.assign(bytes.begin(), bytes.end());
    const auto size = static_cast<qint64>(wire.size());
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        lose(NetworkFailureKind::Dropped);
        return {0, AttemptEnd::Failed};
    }
    if (socket_->write(reinterpret_cast<const char*>(wire.data()), size) != size) {
        lose(NetworkFailureKind::Other, socket_->errorString().toStdString());
        return {0, AttemptEnd::Failed};
    }
    const QDeadlineTimer deadline = deadlineIn(writeAttemptLimit(timeouts_, bytes.size(), waitLimit));
    while (socket_->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!socket_->waitForBytesWritten(waitMs(deadline)))
            break;
    }
    const qint64 left = socket_->bytesToWrite();
    if (left == 0)
        return {bytes.size(), AttemptEnd::Completed};
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        lose(NetworkFailureKind::Dropped);
        return {0, AttemptEnd::Failed};
    }
    // What the socket still holds cannot be taken back, so a second attempt would send it
    // twice: the connection is given up, and the next attempt fails at once.
    const std::size_t sent = comPort_ ? telnet::dataBytesIn(wire, static_cast<std::size_t>(size - left))
                                      : static_cast<std::size_t>(size - left);
    lose(NetworkFailureKind::Stalled);
    socket_->abort();
    return {sent, AttemptEnd::TimedOut};
}

std::size_t NetworkDevice::readAttempt(std::span<std::uint8_t> into, milliseconds waitLimit) {
    if (!open_)
        return 0;
    const QDeadlineTimer deadline = deadlineIn(readAttemptLimit(timeouts_, into.size(), waitLimit));
    const milliseconds interval = timeouts_.readInterval;
    QDeadlineTimer quiet;
    std::size_t got = 0;
    for (;;) {
        const std::size_t take = std::min(into.size() - got, input_.size());
        if (take > 0) {
            std::copy_n(input_.begin(), take, into.begin() + static_cast<std::ptrdiff_t>(got));
            input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(take));
            got += take;
            // The interval runs from the last byte received.
            if (interval.count() > 0)
                quiet = deadlineIn(interval);
        }
        if (got == into.size())
            break;
        qint64 wait = deadline.remainingTime();
        if (got > 0 && interval.count() > 0)
            wait = std::min(wait, quiet.remainingTime());
        if (!pump(wait))
            break;
    }
    return got;
}

} // namespace varnu
