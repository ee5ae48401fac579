#pragma once
// A Link that passes every call on to another and writes a trace of it: one line per transfer
// with the time in milliseconds since the trace began, the direction and the bytes in hex,
//
//       12.406 out 1B 07 01 00 08 01 EF
//       14.950 in  06
//     1415.337 in  (nothing)
//     1415.402 --- purge
//
// and a "---" line for the calls that move no bytes. Each line is flushed, so a trace cut
// short by a crash or a kill still ends on a whole line.

#include "serial/core/Clock.h"
#include "serial/core/Link.h"

#include <iosfwd>
#include <span>
#include <string_view>

namespace varnu::cli {

class WireLogLink final : public Link {
public:
    WireLogLink(Link& inner, const Clock& clock, std::ostream& trace);

    std::size_t writePort(std::span<const std::uint8_t> bytes) override;
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override;
    void purge() override;
    void waitPumping(std::chrono::milliseconds period) override;
    bool reopenAt(std::uint32_t baudRate) override;

private:
    void line(std::string_view direction, std::string_view text);

    Link& inner_;
    const Clock& clock_;
    std::ostream& trace_;
    Clock::TimePoint start_;
};

} // namespace varnu::cli
