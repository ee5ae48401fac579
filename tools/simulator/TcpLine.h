#pragma once
// The line as a raw TCP port, one client at a time: a client that connects while another is
// served is closed at once. A client that leaves (or is hung up on) makes room for the next.

#include "tools/simulator/ServedLine.h"

#include <string>

namespace varnu::sim {

class TcpLine final : public ServedLine {
public:
    ~TcpLine() override;

    // Listens on "HOST:PORT" (an IPv6 host in brackets; port 0 lets the system choose).
    // Returns an error text, empty on success.
    std::string listen(const std::string& address);

    int fd() const override { return client_; }
    std::optional<int> clientBaud() const override { return std::nullopt; }
    int unreadByClient() const override;
    std::string hangUp() override;
    // "tcp://HOST:PORT" with the port in use.
    std::string where() const override { return where_; }
    int listenFd() const override { return listener_; }
    Accepted acceptClient() override;
    std::optional<std::string> clientLeft() override;

private:
    void closeClient();
    // The client closed its end and nothing of it is left to read.
    bool clientHasLeft() const;

    int listener_ = -1;
    int client_ = -1;
    std::string where_;
};

} // namespace varnu::sim
