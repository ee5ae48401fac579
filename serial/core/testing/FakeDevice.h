#pragma once
// A scripted serial device in virtual time: bytes that arrive at given moments, write
// attempts that complete, stall or fail, device-control steps that may be refused, and a log
// of every call in the order made.

#include "serial/core/SerialDevice.h"
#include "serial/core/testing/FakeClock.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace varnu {

class FakeDevice final : public SerialDevice {
public:
    enum class Step { Open, QueueSizes, Timeouts, ReadLineState, WriteLineState, Dtr, Purge, ChangeSpeed };

    // What one write attempt does; unscripted attempts take every byte at once.
    struct WriteScript {
        std::size_t accepted = SIZE_MAX; // bytes that go out (capped at the request)
        AttemptEnd end = AttemptEnd::Completed;
        std::chrono::milliseconds takes{0}; // time the attempt lasts before it completes or fails
    };

    explicit FakeDevice(FakeClock& clock);

    // Bytes that arrive on the line `after` the clock's start, all at that moment.
    void arrive(std::chrono::milliseconds after, std::vector<std::uint8_t> bytes);
    // Bytes that arrive one by one, `gap` apart, the first `after` the clock's start.
    void arriveSpaced(std::chrono::milliseconds after, const std::vector<std::uint8_t>& bytes,
                      std::chrono::milliseconds gap);
    void scriptWrite(WriteScript script) { writeScripts_.push_back(script); }
    void refuse(Step step) { refused_.insert(step); }
    // Whether the device changes its speed in place (as a network port does); not at first.
    void setChangesSpeedInPlace(bool inPlace) { changesSpeedInPlace_ = inPlace; }
    void allow(Step step) { refused_.erase(step); }
    // The line state the driver reports before any change.
    void setDriverState(const LineState& state) { state_ = state; }
    // What failure() reports, whatever happens meanwhile (scripted, not cleared by open).
    void setFailure(std::optional<PortFailure> failure) { failure_ = std::move(failure); }

    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    const std::vector<std::uint8_t>& sent() const { return sent_; }
    const LineState& state() const { return state_; }
    const CommTimeouts& timeouts() const { return timeouts_; }
    bool dtrRaised() const { return dtr_; }
    std::size_t pendingBytes() const;

    bool open(const std::string& portName) override;
    bool isOpen() const override { return open_; }
    void close() override;
    bool setQueueSizes(std::size_t inputBytes, std::size_t outputBytes) override;
    bool setTimeouts(const CommTimeouts& timeouts) override;
    std::optional<LineState> lineState() override;
    bool setLineState(const LineState& state) override;
    bool setDtr(bool raised) override;
    bool purge() override;
    bool changeSpeed(std::uint32_t baudRate) override;
    WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds waitLimit) override;
    std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) override;
    std::optional<PortFailure> failure() const override { return failure_; }

private:
    struct Arrival {
        Clock::TimePoint at;
        std::uint8_t byte;
    };

    bool allowed(Step step) const { return refused_.count(step) == 0; }

    FakeClock& clock_;
    bool open_ = false;
    bool dtr_ = false;
    bool changesSpeedInPlace_ = false;
    LineState state_;
    CommTimeouts timeouts_;
    std::deque<Arrival> line_;
    std::deque<WriteScript> writeScripts_;
    std::set<Step> refused_;
    std::vector<std::string> log_;
    std::vector<std::uint8_t> sent_;
    std::optional<PortFailure> failure_;
};

} // namespace varnu
