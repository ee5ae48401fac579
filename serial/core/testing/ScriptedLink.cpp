#include "serial/core/testing/ScriptedLink.h"

#include <algorithm>
#include <cctype>

namespace varnu::testing {

namespace {

std::string hexText(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

int digitValue(char c) {
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower <= '9' ? lower - '0' : lower - 'a' + 10;
}

std::string_view modeName(ReadMode mode) {
    return mode == ReadMode::Byte ? "byte" : "frame";
}

ScriptStep readStep(ReadMode mode, std::vector<std::uint8_t> bytes, int result, milliseconds cost) {
    ScriptStep step;
    step.kind = ScriptStep::Kind::Read;
    step.mode = mode;
    step.bytes = std::move(bytes);
    step.result = result;
    step.cost = cost;
    return step;
}

ScriptStep writeStep(std::string_view hex, std::size_t accepted) {
    ScriptStep step;
    step.kind = ScriptStep::Kind::Write;
    step.bytes = bytesFromHex(hex);
    step.result = static_cast<int>(accepted);
    return step;
}

ScriptStep reopenStep(std::uint32_t baudRate, bool opens) {
    ScriptStep step;
    step.kind = ScriptStep::Kind::Reopen;
    step.baudRate = baudRate;
    step.result = opens ? 1 : 0;
    return step;
}

std::string describeWrite(std::span<const std::uint8_t> bytes, std::size_t accepted) {
    std::string text = "send " + hexText(bytes);
    if (accepted != bytes.size())
        text += " -> " + std::to_string(accepted) + " of " + std::to_string(bytes.size());
    return text;
}

} // namespace

std::vector<std::uint8_t> bytesFromHex(std::string_view hex) {
    std::string digits;
    std::copy_if(hex.begin(), hex.end(), std::back_inserter(digits), [](char c) { return c != ' '; });
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(digitValue(digits[i]) * 16 + digitValue(digits[i + 1])));
    return bytes;
}

ScriptStep ScriptStep::costing(milliseconds time) const {
    ScriptStep copy = *this;
    copy.cost = time;
    return copy;
}

std::string ScriptStep::describe() const {
    switch (kind) {
    case Kind::Write:
        return describeWrite(bytes, static_cast<std::size_t>(result));
    case Kind::Read: {
        const std::string call = "read " + std::string(modeName(mode)) + " -> ";
        if (result == 0)
            return call + "nothing";
        if (result < 0)
            return call + "broken";
        return call + hexText(bytes);
    }
    case Kind::Purge:
        return "purge";
    case Kind::Wait:
        return "wait " + std::to_string(cost.count()) + " ms";
    case Kind::Reopen:
        return "reopen at " + std::to_string(baudRate) + (result ? "" : " -> fails");
    }
    return {};
}

ScriptStep sends(std::string_view hex) {
    return writeStep(hex, bytesFromHex(hex).size());
}
ScriptStep sendsPart(std::string_view hex, std::size_t accepted) {
    return writeStep(hex, accepted);
}
ScriptStep sendFails(std::string_view hex) {
    return writeStep(hex, 0);
}
ScriptStep getsByte(std::uint8_t byte) {
    return readStep(ReadMode::Byte, {byte}, 1, milliseconds{0});
}

ScriptStep getsFrame(std::string_view hex) {
    std::vector<std::uint8_t> frame = bytesFromHex(hex);
    const int size = static_cast<int>(frame.size());
    return readStep(ReadMode::Frame, std::move(frame), size, milliseconds{0});
}

ScriptStep getsBrokenFrame() {
    return readStep(ReadMode::Frame, {}, -1, kBrokenFrameReadCost);
}

ScriptStep getsNothing(ReadMode mode) {
    return readStep(mode, {}, 0, mode == ReadMode::Byte ? kSilentByteReadCost : kSilentFrameReadCost);
}

ScriptStep purges() {
    return ScriptStep{};
}

ScriptStep waits(milliseconds period) {
    ScriptStep step;
    step.kind = ScriptStep::Kind::Wait;
    step.cost = period;
    return step;
}

ScriptStep reopens(std::uint32_t baudRate) {
    return reopenStep(baudRate, true);
}
ScriptStep failsToReopen(std::uint32_t baudRate) {
    return reopenStep(baudRate, false);
}

ScriptedLink::ScriptedLink(std::vector<ScriptStep> script) : script_(std::move(script)) {}

std::vector<std::string> ScriptedLink::expectedLog() const {
    std::vector<std::string> lines;
    for (const ScriptStep& step : script_)
        lines.push_back(step.describe());
    return lines;
}

const ScriptStep* ScriptedLink::take(ScriptStep::Kind kind, ReadMode mode) {
    if (next_ >= script_.size())
        return nullptr;
    const ScriptStep& step = script_[next_];
    if (step.kind != kind || (kind == ScriptStep::Kind::Read && step.mode != mode))
        return nullptr;
    ++next_;
    elapsed_ += step.cost;
    return &step;
}

void ScriptedLink::unexpected(std::string call) {
    log_.push_back(std::move(call) + " (not in script)");
}

std::size_t ScriptedLink::writePort(std::span<const std::uint8_t> bytes) {
    const ScriptStep* step = take(ScriptStep::Kind::Write);
    if (!step) {
        unexpected("send " + hexText(bytes));
        return 0;
    }
    const std::size_t accepted = std::min(static_cast<std::size_t>(step->result), bytes.size());
    log_.push_back(describeWrite(bytes, accepted));
    return accepted;
}

int ScriptedLink::readPort(std::vector<std::uint8_t>& received, ReadMode mode) {
    received.clear();
    const ScriptStep* step = take(ScriptStep::Kind::Read, mode);
    if (!step) {
        unexpected("read " + std::string(modeName(mode)));
        return 0;
    }
    log_.push_back(step->describe());
    if (step->result > 0)
        received = step->bytes;
    return step->result;
}

void ScriptedLink::purge() {
    if (take(ScriptStep::Kind::Purge))
        log_.push_back("purge");
    else
        unexpected("purge");
}

void ScriptedLink::waitPumping(milliseconds period) {
    const ScriptStep* step = take(ScriptStep::Kind::Wait);
    const std::string call = "wait " + std::to_string(period.count()) + " ms";
    if (!step) {
        elapsed_ += period;
        unexpected(call);
        return;
    }
    // The wait lasts the period it was asked for, whatever the script said.
    elapsed_ += period - step->cost;
    log_.push_back(call);
}

bool ScriptedLink::reopenAt(std::uint32_t baudRate) {
    const ScriptStep* step = take(ScriptStep::Kind::Reopen);
    if (!step) {
        unexpected("reopen at " + std::to_string(baudRate));
        return false;
    }
    ScriptStep actual = *step;
    actual.baudRate = baudRate;
    log_.push_back(actual.describe());
    return step->result != 0;
}

} // namespace varnu::testing
