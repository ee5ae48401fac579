#pragma once
// Sending the Transmit List: each entry's frame goes out, the projector's reply byte and data
// frames come back and answered, and every outcome is told to the sink as Receive List text.

#include "catalogue/Catalogue.h"
#include "protocol/TransmitSink.h"
#include "serial/core/Link.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace varnu {

// The text of entry `index` as the list holds it now, or nothing when the list has shrunk
// (the list can change during the waits of a run).
using EntryReader = std::function<std::optional<std::string>(std::size_t index)>;

// A received frame larger than this is refused: its hex line would not fit the Receive List's
// line buffer of the projector tools (98 digits).
inline constexpr std::size_t kMaxReceivedFrameBytes = 49;

// Attribute code of a Get in the frame's third byte: the projector answers it with data frames.
inline constexpr std::uint8_t kGetAttributeCode = attributeCode(Attribute::Get);

// Each data frame after the first of an entry lines up under the first, past "(n) ACK ".
inline constexpr std::size_t kAckIndent = 4;

class TransmitSequence {
public:
    TransmitSequence(Link& link, TransmitSink& sink);

    // Sends entries 0 to count - 1 (the count is taken once), reading each by its position
    // just before it is sent. `stop` ends the run before its next transfer; a read under way
    // gives up after its attempt (the link's own stop token), and what it cut short is neither
    // answered nor reported. The Receive List then ends its line and says "Stopped.".
    RunSummary run(std::size_t count, const EntryReader& readEntry, std::stop_token stop = {});
    RunSummary run(std::span<const std::string> entries, std::stop_token stop = {});

private:
    class LineKeeper;
    EntryOutcome transmitEntry(std::size_t position, std::string_view text);
    EntryOutcome readDataFrames(std::size_t indent, bool expectsData);
    void append(std::string_view text);
    // Inside an exchange: ends the line under way, says the run stopped and discards what the
    // line still holds.
    EntryOutcome stopHere();

    Link& link_;
    TransmitSink& sink_;
    std::stop_token stop_;
    bool lineOpen_ = false; // text since the last line end
};

} // namespace varnu
