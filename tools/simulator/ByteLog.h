#pragma once
// The optional traffic log: one line per chunk in or out and per event, with the
// milliseconds since start. Lines are flushed at once so that the log can be followed live.

#include "tools/simulator/FrameBytes.h"
#include "tools/simulator/LineTiming.h"

#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace varnu::sim {

class ByteLog {
public:
    // An empty path gives a log that writes nothing. False when the file cannot be created.
    bool open(const std::string& path);

    void bytesIn(SimTime at, std::span<const std::uint8_t> bytes) { line(at, "in ", spacedHex(bytes)); }
    void bytesOut(SimTime at, std::span<const std::uint8_t> bytes) { line(at, "out", spacedHex(bytes)); }
    void event(SimTime at, std::string_view text) { line(at, "---", text); }

private:
    void line(SimTime at, std::string_view direction, std::string_view text);

    std::ofstream file_;
};

} // namespace varnu::sim
