#pragma once
// send --receive-dir: the list sent to every port at once, one worker thread per port, each
// with its own link, port lock and Receive List file (and wire trace, with --trace). Standard
// output gets one summary line per port as its run ends, then a total; stderr gets each
// port's sentences, the port named first.

#include "catalogue/Catalogue.h"
#include "cli/ReceiveFolder.h"
#include "cli/SendOptions.h"

#include <iosfwd>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace varnu::cli {

class SignalStop;

// "PORT: 7 entries, 4 acknowledged, 3 failed, exit 3; Receive List in FILE": every entry that
// was not acknowledged counts as failed, those a run never sent included.
struct PortSummary {
    std::string portName;
    std::string receiveList;
    std::size_t entries = 0;
    std::size_t acknowledged = 0;
    int status = 0;
};
std::string summaryLine(const PortSummary& summary);
// "total: 3 ports, 21 entries, 12 acknowledged, 9 failed, exit 3"
std::string totalLine(std::span<const PortSummary> summaries, int status);

// The status that says most of two runs' statuses: a signal (128 + N), then 1 (a port, file
// or output failure), then 3 (some entry failed), then 0.
int worseStatus(int a, int b);

// Runs one worker per planned port and waits for them all; the worst status of the runs (or
// 1 when standard output fails). `stop` ends every run; `decodes` is null without decodes.
int sendToManyPorts(const SendOptions& options, std::span<const PortFiles> ports, std::span<const std::string> entries,
                    const Catalogue* decodes, std::stop_source& stop, const SignalStop& signalStop, std::ostream& out,
                    std::ostream& err);

} // namespace varnu::cli
