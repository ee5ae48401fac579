#pragma once
// What a transmit run reports while it goes, kept apart from how the front end shows it:
// the window selects the entry and grows the Receive List, the command line prints.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace varnu {

// How one entry's exchange ended, for front ends that sum a run up (exit status).
enum class EntryOutcome {
    Acknowledged,      // ACK, and every data frame it asked for came complete
    WriteFailed,       // the frame did not go out whole (port closed or failing)
    NoResponse,        // no reply byte
    Refused,           // NAK
    UnexpectedReply,   // a reply byte that is neither ACK nor NAK
    MissingData,       // a Get acknowledged without any data frame
    ReceptionFailed,   // at least one broken data frame
    SpeedChangeFailed, // the port could not be opened again at the new speed
    Stopped,           // the run was stopped during this entry's exchange
};

struct RunSummary {
    std::vector<EntryOutcome> outcomes; // one per entry handled, in list order
    bool stopped = false;               // stopped before the last entry was done

    bool allAcknowledged() const;
};

class TransmitSink {
public:
    virtual ~TransmitSink() = default;

    // Entry `index` (counted from 0) is about to be sent: the window selects it.
    virtual void entryStarted(std::size_t /*index*/) {}
    // One piece of Receive List text, passed on as soon as it is known.
    virtual void textAppended(std::string_view text) = 0;
    // The entry's exchange is over: the window shows the Receive List and repaints.
    virtual void entryFinished(std::size_t /*index*/, EntryOutcome /*outcome*/) {}
    // The port now runs at this speed, for the rest of the program's run.
    virtual void portSpeedChanged(std::uint32_t /*baudRate*/) {}
    virtual void runFinished(const RunSummary& /*summary*/) {}
};

} // namespace varnu
