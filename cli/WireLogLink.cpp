#include "cli/WireLogLink.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace varnu::cli {

namespace {

std::string spacedHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

} // namespace

WireLogLink::WireLogLink(Link& inner, const Clock& clock, std::ostream& trace)
    : inner_(inner), clock_(clock), trace_(trace), start_(clock.now()) {}

void WireLogLink::line(std::string_view direction, std::string_view text) {
    const std::chrono::duration<double, std::milli> since = clock_.now() - start_;
    char time[32];
    std::snprintf(time, sizeof time, "%12.3f ", since.count());
    trace_ << time << direction << ' ' << text << '\n' << std::flush;
}

std::size_t WireLogLink::writePort(std::span<const std::uint8_t> bytes) {
    const std::size_t written = inner_.writePort(bytes);
    std::string text = spacedHex(bytes.first(std::min(written, bytes.size())));
    if (written != bytes.size())
        text += (text.empty() ? "" : " ") + std::string("(") + std::to_string(written) + " of " +
                std::to_string(bytes.size()) + " bytes written)";
    line("out", text);
    return written;
}

int WireLogLink::readPort(std::vector<std::uint8_t>& received, ReadMode mode) {
    const int result = inner_.readPort(received, mode);
    std::string text = spacedHex(received);
    if (result < 0)
        text += text.empty() ? "(broken frame)" : " (broken frame)";
    else if (text.empty())
        text = "(nothing)";
    line("in ", text);
    return result;
}

void WireLogLink::purge() {
    inner_.purge();
    line("---", "purge");
}

void WireLogLink::waitPumping(std::chrono::milliseconds period) {
    line("---", "wait " + std::to_string(period.count()) + " ms");
    inner_.waitPumping(period);
}

bool WireLogLink::reopenAt(std::uint32_t baudRate) {
    const bool reopened = inner_.reopenAt(baudRate);
    line("---", "reopen at " + std::to_string(baudRate) + (reopened ? "" : ": failed"));
    return reopened;
}

} // namespace varnu::cli
