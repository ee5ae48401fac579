#include "serial/core/testing/FakeDevice.h"

#include <algorithm>

namespace varnu {

using std::chrono::milliseconds;

FakeDevice::FakeDevice(FakeClock& clock) : clock_(clock) {}

void FakeDevice::arrive(milliseconds after, std::vector<std::uint8_t> bytes) {
    arriveSpaced(after, bytes, milliseconds{0});
}

void FakeDevice::arriveSpaced(milliseconds after, const std::vector<std::uint8_t>& bytes, milliseconds gap) {
    Clock::TimePoint at = Clock::TimePoint{} + after;
    for (std::uint8_t byte : bytes) {
        line_.push_back({at, byte});
        at += gap;
    }
    std::stable_sort(line_.begin(), line_.end(), [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
}

std::size_t FakeDevice::pendingBytes() const {
    return line_.size();
}

bool FakeDevice::open(const std::string& portName) {
    log_.push_back("open " + portName);
    if (!allowed(Step::Open)) {
        return false;
    }
    open_ = true;
    return true;
}

void FakeDevice::close() {
    log_.push_back("close");
    open_ = false;
    // What had arrived belonged to the closed handle's queue.
    while (!line_.empty() && line_.front().at <= clock_.now()) {
        line_.pop_front();
    }
}

bool FakeDevice::setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) {
    log_.push_back("queues " + std::to_string(inputBytes) + " " + std::to_string(outputBytes));
    return allowed(Step::QueueSizes);
}

bool FakeDevice::setTimeouts(const CommTimeouts& timeouts) {
    log_.push_back("timeouts " + std::to_string(timeouts.readInterval.count()) + " " +
                   std::to_string(timeouts.readTotalPerByte.count()) + " " +
                   std::to_string(timeouts.readTotalConstant.count()) + " " +
                   std::to_string(timeouts.writeTotalPerByte.count()) + " " +
                   std::to_string(timeouts.writeTotalConstant.count()));
    if (!allowed(Step::Timeouts)) {
        return false;
    }
    timeouts_ = timeouts;
    return true;
}

std::optional<LineState> FakeDevice::lineState() {
    log_.push_back("get state");
    if (!allowed(Step::ReadLineState)) {
        return std::nullopt;
    }
    return state_;
}

bool FakeDevice::setLineState(const LineState& state) {
    log_.push_back("set state");
    if (!allowed(Step::WriteLineState)) {
        return false;
    }
    state_ = state;
    return true;
}

bool FakeDevice::setDtr(bool raised) {
    log_.push_back(raised ? "dtr on" : "dtr off");
    if (!allowed(Step::Dtr)) {
        return false;
    }
    dtr_ = raised;
    return true;
}

bool FakeDevice::changeSpeed(std::uint32_t baudRate) {
    if (!changesSpeedInPlace_)
        return SerialDevice::changeSpeed(baudRate);
    log_.push_back("speed " + std::to_string(baudRate));
    if (!allowed(Step::ChangeSpeed))
        return false;
    state_.baudRate = baudRate;
    return true;
}

bool FakeDevice::purge() {
    log_.push_back("purge");
    if (!allowed(Step::Purge)) {
        return false;
    }
    while (!line_.empty() && line_.front().at <= clock_.now()) {
        line_.pop_front();
    }
    return true;
}

WriteAttempt FakeDevice::writeAttempt(std::span<const std::uint8_t> bytes, milliseconds waitLimit) {
    log_.push_back("write " + std::to_string(bytes.size()));
    if (!open_) {
        return {0, AttemptEnd::Failed};
    }
    WriteScript script;
    if (!writeScripts_.empty()) {
        script = writeScripts_.front();
        writeScripts_.pop_front();
    }
    const std::size_t accepted = script.end == AttemptEnd::Failed ? 0 : std::min(script.accepted, bytes.size());
    sent_.insert(sent_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(accepted));
    switch (script.end) {
    case AttemptEnd::Completed:
        clock_.advance(script.takes);
        return {accepted, AttemptEnd::Completed};
    case AttemptEnd::TimedOut:
        clock_.advance(writeAttemptLimit(timeouts_, bytes.size(), waitLimit));
        return {accepted, AttemptEnd::TimedOut};
    case AttemptEnd::Failed:
        break;
    }
    clock_.advance(script.takes);
    return {0, AttemptEnd::Failed};
}

std::size_t FakeDevice::readAttempt(std::span<std::uint8_t> into, milliseconds waitLimit) {
    log_.push_back("read " + std::to_string(into.size()));
    if (!open_) {
        return 0;
    }
    const Clock::TimePoint start = clock_.now();
    const Clock::TimePoint deadline = start + readAttemptLimit(timeouts_, into.size(), waitLimit);

    std::size_t got = 0;
    Clock::TimePoint lastByte = start;
    for (;;) {
        while (got < into.size() && !line_.empty() && line_.front().at <= clock_.now()) {
            into[got++] = line_.front().byte;
            lastByte = std::max(line_.front().at, start);
            line_.pop_front();
        }
        if (got == into.size()) {
            return got;
        }
        Clock::TimePoint limit = deadline;
        if (got > 0 && timeouts_.readInterval.count() > 0) {
            limit = std::min(limit, lastByte + timeouts_.readInterval);
        }
        if (line_.empty() || line_.front().at > limit) {
            clock_.advanceTo(limit);
            return got;
        }
        clock_.advanceTo(line_.front().at);
    }
}

} // namespace varnu
