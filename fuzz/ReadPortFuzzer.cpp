// ReadPort's frame assembly on a device that replays the fuzzer's bytes in chunks of the
// fuzzer's choosing, empty attempts included. Time is not real: each attempt uses up its whole wait.

#include "FuzzCheck.h"
#include "serial/core/LinkTimings.h"
#include "serial/core/Transfers.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

using namespace varnu;

// Time that passes only as the device's attempts use it up.
class AttemptClock final : public Clock {
public:
    TimePoint now() const override { return now_; }
    bool sleepFor(std::chrono::milliseconds period, std::stop_token) override {
        now_ += period;
        return true;
    }

private:
    TimePoint now_{};
};

// Serves the line's bytes; each attempt takes a chunk size from the provider first and lasts
// as long as it may.
class ReplayDevice final : public SerialDevice {
public:
    ReplayDevice(FuzzedDataProvider& provider, Clock& clock) : provider_(provider), clock_(clock) {}

    std::size_t attempts() const { return attempts_; }
    std::size_t delivered() const { return delivered_; }

    bool open(const std::string&) override { return true; }
    bool isOpen() const override { return true; }
    void close() override {}
    bool setQueueSizes(std::size_t, std::size_t) override { return true; }
    bool setTimeouts(const CommTimeouts&) override { return true; }
    std::optional<LineState> lineState() override { return LineState{}; }
    bool setLineState(const LineState&) override { return true; }
    bool setDtr(bool) override { return true; }
    bool purge() override { return true; }
    WriteAttempt writeAttempt(std::span<const std::uint8_t> bytes, std::chrono::milliseconds) override {
        return {bytes.size(), AttemptEnd::Completed};
    }

    std::size_t readAttempt(std::span<std::uint8_t> into, std::chrono::milliseconds waitLimit) override {
        FUZZ_CHECK(!into.empty());
        FUZZ_CHECK(waitLimit.count() > 0);
        ++attempts_;
        clock_.sleepFor(waitLimit, {});
        // The line is silent once the input is used up: every attempt after that is empty.
        const std::size_t chunk = provider_.ConsumeIntegralInRange<std::size_t>(0, into.size());
        const std::vector<std::uint8_t> bytes = provider_.ConsumeBytes<std::uint8_t>(chunk);
        std::copy(bytes.begin(), bytes.end(), into.begin());
        delivered_ += bytes.size();
        return bytes.size();
    }

private:
    FuzzedDataProvider& provider_;
    Clock& clock_;
    std::size_t attempts_ = 0;
    std::size_t delivered_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const ReadMode mode = provider.ConsumeBool() ? ReadMode::Frame : ReadMode::Byte;
    AttemptClock clock;
    ReplayDevice device(provider, clock);
    std::vector<std::uint8_t> received{0xEE, 0xEE}; // replaced by what was taken

    const int result = ReadPort(device, clock, received, mode);

    FUZZ_CHECK(received.size() <= static_cast<std::size_t>(kMaxReceivedFrameBytes));
    FUZZ_CHECK(received.size() <= device.delivered());
    if (mode == ReadMode::Byte) {
        FUZZ_CHECK(result == 0 || result == 1);
        FUZZ_CHECK(received.size() == static_cast<std::size_t>(result));
        // Silence gets two attempts; a byte ends the read.
        FUZZ_CHECK(device.attempts() <= static_cast<std::size_t>(kMaxEmptyReadAttempts));
        return 0;
    }
    FUZZ_CHECK(result >= -1 && result <= kMaxReceivedFrameBytes);
    if (result == 0)
        FUZZ_CHECK(received.empty());
    if (result > 0) {
        FUZZ_CHECK(received.size() == static_cast<std::size_t>(result));
        FUZZ_CHECK(received[0] == kEsc);
        FUZZ_CHECK(received[1] == result);
    }
    // Dropped junk is bounded, so is the number of attempts that bring something, and the
    // drain of a refused frame takes no more than its length byte can announce.
    constexpr std::size_t kLongestAnnounced = 255;
    FUZZ_CHECK(device.delivered() <=
               kMaxDroppedJunkBytes + 2 * static_cast<std::size_t>(kMaxReceivedFrameBytes) + kLongestAnnounced);
    return 0;
}
