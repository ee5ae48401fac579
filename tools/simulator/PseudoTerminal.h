#pragma once
// The pseudo-terminal that stands in for the serial line, and the symbolic link that the
// client opens. The simulator works on the master side; the client opens the slave.

#include "tools/simulator/ServedLine.h"

#include <string>

namespace varnu::sim {

class PseudoTerminal final : public ServedLine {
public:
    ~PseudoTerminal() override { close(); }

    // Opens a new pair in raw mode at 9600 and points `linkPath` at the slave; a pair that
    // was open is closed after that (a hang-up for its client). An existing symbolic link is
    // replaced; any other file at that path is left alone and refused. Returns an error
    // text, empty on success.
    std::string open(const std::string& linkPath);

    // Closes both sides: a client that has the slave open sees a hang-up.
    void close();

    // Removes the link if it still points at this terminal's slave.
    void removeLink() const;

    int fd() const override { return master_; }
    // Bytes written to the line that the client has not read yet.
    int unreadByClient() const override;
    // The line speed the client set on the slave (tcgetattr on the master reads it); 0 when
    // it is none the simulator knows.
    std::optional<int> clientBaud() const override;
    // A fresh terminal takes the link and the old one closes, which drops the line under the
    // client; the client gets the line back by opening the path again.
    std::string hangUp() override { return open(linkPath_); }
    std::string where() const override { return slavePath_; }

private:
    int master_ = -1;
    // Kept open: without it, once the client closes, the master reads EIO and polls
    // POLLHUP without end.
    int slave_ = -1;
    std::string slavePath_;
    std::string linkPath_;
};

} // namespace varnu::sim
