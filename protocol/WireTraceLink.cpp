#include "protocol/WireTraceLink.h"

#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"

#include <algorithm>
#include <cstdio>

namespace varnu {

namespace {

// Wide enough for any run: 12 characters hold 99,999,999.999 ms (27 hours) before the column widens.
constexpr const char* kTimeFormat = "%12.3f ";

} // namespace

WireTraceLink::WireTraceLink(Link& inner, const Clock& clock, WireTraceSink& sink, const Catalogue* catalogue)
    : inner_(inner), clock_(clock), sink_(sink), catalogue_(catalogue), start_(clock.now()) {}

void WireTraceLink::line(std::string_view direction, std::string_view text) {
    const std::chrono::duration<double, std::milli> since = clock_.now() - start_;
    char time[32];
    const int length = std::snprintf(time, sizeof time, kTimeFormat, since.count());
    time_.assign(time, static_cast<std::size_t>(std::max(length, 0)));
    emitLine(direction, text);
}

void WireTraceLink::emitLine(std::string_view direction, std::string_view text) {
    line_.assign(time_);
    line_ += direction;
    line_ += ' ';
    line_ += text;
    sink_.traceLine(line_);
}

void WireTraceLink::decodeLine(std::span<const std::uint8_t> frame, FrameOrigin origin) {
    // The decode keeps the time of its frame's line.
    if (catalogue_ != nullptr)
        emitLine("dec", describeFrame(frame, *catalogue_, origin));
}

std::size_t WireTraceLink::writePort(std::span<const std::uint8_t> bytes) {
    const std::size_t written = inner_.writePort(bytes);
    std::string text = formatSpacedHex(bytes.first(std::min(written, bytes.size())));
    if (written != bytes.size())
        text += (text.empty() ? "" : " ") + std::string("(") + std::to_string(written) + " of " +
                std::to_string(bytes.size()) + " bytes written)";
    line("out", text);
    if (written == bytes.size() && !bytes.empty() && bytes[0] == kEsc)
        decodeLine(bytes, FrameOrigin::Sent);
    return written;
}

int WireTraceLink::readPort(std::vector<std::uint8_t>& received, ReadMode mode) {
    const int result = inner_.readPort(received, mode);
    std::string text = formatSpacedHex(received);
    if (result < 0)
        text += text.empty() ? "(broken frame)" : " (broken frame)";
    else if (text.empty())
        text = "(nothing)";
    line("in ", text);
    if (mode == ReadMode::Frame && result > 0)
        decodeLine(std::span(received).first(std::min(static_cast<std::size_t>(result), received.size())),
                   FrameOrigin::Received);
    return result;
}

void WireTraceLink::purge() {
    inner_.purge();
    line("---", "purge");
}

void WireTraceLink::waitPumping(std::chrono::milliseconds period) {
    line("---", "wait " + std::to_string(period.count()) + " ms");
    inner_.waitPumping(period);
}

bool WireTraceLink::reopenAt(std::uint32_t baudRate) {
    const bool reopened = inner_.reopenAt(baudRate);
    line("---", "reopen at " + std::to_string(baudRate) + (reopened ? "" : ": failed"));
    return reopened;
}

} // namespace varnu
