#pragma once
// One port's part of varnu-cli send: the link opened with its settings, the list sent over it
// with the Receive List and the wire trace written as the run goes, and what went wrong said
// on stderr. With one port the run has the process to itself; with several, each worker
// thread runs one of these on a link it made itself.

#include "catalogue/Catalogue.h"
#include "cli/CheckedStream.h"
#include "protocol/TransmitSink.h"
#include "serial/SerialLink.h"

#include <fstream>
#include <iosfwd>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace varnu::cli {

class SignalStop;

// How a run speaks on stderr. With one port the sentences start "varnu-cli send: " and the
// fixed messages ("Not able to Connect.") stand alone, as they always have; with several,
// both name the port first.
struct SendVoice {
    std::string port; // empty with one port

    std::string said() const;  // "varnu-cli send: " or "varnu-cli send: PORT: "
    std::string fixed() const; // "" or "varnu-cli send: PORT: "
};

// Where a run writes. `trace` is null without a wire trace; `decodes` is null when the trace
// has no decode lines, and otherwise outlives the run.
struct SendOutputs {
    CheckedStream& receiveList;
    CheckedStream* trace = nullptr;
    const Catalogue* decodes = nullptr;
};

struct PortSendResult {
    int status = 0;
    RunSummary summary;
};

// Opens `path` empty for writing; false once "cannot write WHAT PATH: why" is on `err`.
bool openForWriting(std::ofstream& file, const std::string& path, std::string_view what, const SendVoice& voice,
                    std::ostream& err);

// The link open with `settings`, its notices on `err`; or nothing, once "Not able to Connect."
// and why are on `err`.
std::unique_ptr<SerialLink> openSendLink(const PortSettings& settings, std::stop_token stop, const SendVoice& voice,
                                         std::ostream& err);

// Sends `entries` over the open `port` and closes it. An output that fails stops the run
// through `stop` once the entry under way is over; a signal that `signalStop` saw makes the
// status 128 + its number. The status otherwise: 1 for an output that failed or a port that
// was lost, 3 when some entry failed, 0.
PortSendResult sendOverLink(SerialLink& port, std::span<const std::string> entries, const SendOutputs& outputs,
                            std::stop_source& stop, const SignalStop& signalStop, const SendVoice& voice,
                            std::ostream& err);

} // namespace varnu::cli
