#include "serial/testing/PtyPeer.h"

#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace varnu::testing {

PtyPeer::PtyPeer() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    // A new pseudo-terminal echoes and edits lines; a serial line does neither.
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    path_ = name;
}

PtyPeer::~PtyPeer() {
    hangUp();
}

void PtyPeer::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPeer::receive(std::size_t count, std::chrono::milliseconds patience) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (got.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{master_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        std::uint8_t buffer[256];
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) {
            break;
        }
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

termios PtyPeer::lineSettings() const {
    termios tio{};
    ::tcgetattr(master_, &tio);
    return tio;
}

void PtyPeer::hangUp() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

} // namespace varnu::testing
