#pragma once
// The projector's end of a pseudo-terminal, for tests that open the real link on its other
// end. Needs /dev/ptmx.

#include <chrono>
#include <cstdint>
#include <string>
#include <termios.h>
#include <vector>

namespace varnu::testing {

class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return master_ >= 0; }
    // The path the link opens.
    const std::string& path() const { return path_; }

    void send(const std::vector<std::uint8_t>& bytes);
    // Reads until `count` bytes came or `patience` passed.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds patience);
    // The line settings the link set, as the far end sees them.
    termios lineSettings() const;
    // Closes both ends the peer holds, as a projector that is switched off.
    void hangUp();

private:
    int master_ = -1;
    // Held open so that the master does not report a hang-up after each close of the link.
    int slave_ = -1;
    std::string path_;
};

} // namespace varnu::testing
