#pragma once
// A TCP socket on 127.0.0.1 at a port the system picks, for tests and benchmarks of network
// ports: bound and never listening (connections are refused), or listening with a backlog.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace varnu::testing {

class LoopbackSocket {
public:
    static constexpr int kNeverListens = -1;

    explicit LoopbackSocket(int backlog = kNeverListens) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
            (backlog != kNeverListens && ::listen(fd_, backlog) != 0))
            return; // port() stays 0: the caller checks it
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    int fd() const { return fd_; }
    // 0 when the socket could not be made.
    int port() const { return port_; }
    // "tcp://127.0.0.1:PORT" and the like.
    std::string name(const char* scheme) const { return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_;
    int port_ = 0;
};

} // namespace varnu::testing
