#pragma once
// A Link that passes every call on to another and records a trace of it: one line per
// transfer with the time in milliseconds since the trace began (to the microsecond), the
// direction and the bytes in hex,
//
//       12.406 out 1B 07 01 00 08 01 EF
//       12.406 dec Set, class 00 System, function 08 ...: Data 01 (1); enable mouse/port command
//       14.950 in  06
//     1415.337 in  (nothing)
//     1415.402 --- purge
//
// a "---" line for the calls that move no bytes and, when a catalogue is given, a "dec" line
// after each whole frame that went out (a write of all its bytes that starts with ESC) or came
// in (a complete frame read), with the frame's decode (FrameDecode.h).

#include "catalogue/Catalogue.h"
#include "protocol/FrameDecode.h"
#include "serial/core/Clock.h"
#include "serial/core/Link.h"

#include <span>
#include <string>
#include <string_view>

namespace varnu {

// Where the finished lines go: the command line writes them to a file, the window appends
// them to its trace view. Called on the thread that uses the link, once per line, in order.
class WireTraceSink {
public:
    virtual ~WireTraceSink() = default;
    // One whole line, without its line end.
    virtual void traceLine(std::string_view line) = 0;
};

class WireTraceLink final : public Link {
public:
    // The trace's time starts now. `catalogue`, when given, must outlive the link.
    WireTraceLink(Link& inner, const Clock& clock, WireTraceSink& sink, const Catalogue* catalogue = nullptr);

    std::size_t writePort(std::span<const std::uint8_t> bytes) override;
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override;
    void purge() override;
    void waitPumping(std::chrono::milliseconds period) override;
    bool reopenAt(std::uint32_t baudRate) override;

private:
    // A line at the time now; emitLine keeps the time of the line before.
    void line(std::string_view direction, std::string_view text);
    void emitLine(std::string_view direction, std::string_view text);
    void decodeLine(std::span<const std::uint8_t> frame, FrameOrigin origin);

    Link& inner_;
    const Clock& clock_;
    WireTraceSink& sink_;
    const Catalogue* catalogue_;
    Clock::TimePoint start_;
    std::string time_; // the time column of the last line
    std::string line_; // reused for every line
};

} // namespace varnu
