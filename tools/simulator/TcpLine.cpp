#include "tools/simulator/TcpLine.h"

#include "tools/simulator/SystemError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace varnu::sim {

namespace {

// The lead given to waiting clients; the server takes them one by one.
constexpr int kBacklog = 4;
// What poll() reports once the client has closed its end or the connection broke, whether or
// not its last bytes have been read.
constexpr short kClientGoneEvents = POLLRDHUP | POLLHUP | POLLERR;

struct HostPort {
    std::string host;
    std::string port;
};

std::optional<HostPort> splitAddress(const std::string& address) {
    if (!address.empty() && address.front() == '[') {
        const std::size_t close = address.find("]:");
        if (close == std::string::npos)
            return std::nullopt;
        return HostPort{address.substr(1, close - 1), address.substr(close + 2)};
    }
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos || address.find(':') != colon)
        return std::nullopt;
    return HostPort{address.substr(0, colon), address.substr(colon + 1)};
}

std::string nameOf(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET6) {
        const auto& a6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &a6.sin6_addr, host, sizeof host);
        return "tcp://[" + std::string(host) + "]:" + std::to_string(ntohs(a6.sin6_port));
    }
    const auto& a4 = reinterpret_cast<const sockaddr_in&>(address);
    ::inet_ntop(AF_INET, &a4.sin_addr, host, sizeof host);
    return "tcp://" + std::string(host) + ":" + std::to_string(ntohs(a4.sin_port));
}

} // namespace

TcpLine::~TcpLine() {
    closeClient();
    if (listener_ >= 0)
        ::close(listener_);
}

std::string TcpLine::listen(const std::string& address) {
    const std::optional<HostPort> parts = splitAddress(address);
    if (!parts || parts->host.empty() || parts->port.empty())
        return "--listen " + address + ": the form is HOST:PORT ([HOST]:PORT for IPv6)";
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(parts->host.c_str(), parts->port.c_str(), &hints, &found); error != 0)
        return "--listen " + address + ": " + ::gai_strerror(error);
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const int on = 1;
    if (fd >= 0)
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool bound = fd >= 0 && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && ::listen(fd, kBacklog) == 0;
    ::freeaddrinfo(found);
    if (!bound) {
        const std::string error = systemError("cannot listen on " + address);
        if (fd >= 0)
            ::close(fd);
        return error;
    }
    sockaddr_storage local{};
    socklen_t size = sizeof local;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    listener_ = fd;
    where_ = nameOf(local);
    return {};
}

int TcpLine::unreadByClient() const {
    int count = 0;
    if (client_ < 0 || ::ioctl(client_, SIOCOUTQ, &count) != 0)
        return 0;
    return count;
}

bool TcpLine::clientHasLeft() const {
    // Its end is closed even while bytes it sent wait unread (held back by the line's speed).
    pollfd pending{client_, kClientGoneEvents, 0};
    return client_ >= 0 && ::poll(&pending, 1, 0) == 1 && (pending.revents & kClientGoneEvents) != 0;
}

ServedLine::Accepted TcpLine::acceptClient() {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int fd = ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &size, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
        // The client gave up before it was taken: nothing waits any more.
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED)
            return {};
        return {systemError("cannot take a client"), false, true};
    }
    // A client that left just before the new one came has not been noticed yet.
    std::string note;
    if (clientHasLeft()) {
        closeClient();
        note = "client left; ";
    }
    if (client_ >= 0) {
        ::close(fd);
        return {note + "refused a second client (one at a time)", false};
    }
    // Each answer goes out when it is due, not gathered with the next.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    client_ = fd;
    return {note + "client connected", true};
}

std::optional<std::string> TcpLine::clientLeft() {
    closeClient();
    return "client left";
}

std::string TcpLine::hangUp() {
    closeClient();
    return {};
}

void TcpLine::closeClient() {
    if (client_ >= 0)
        ::close(client_);
    client_ = -1;
}

} // namespace varnu::sim
