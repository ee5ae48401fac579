#pragma once
// The simulator's end of the line, whatever carries it: a pseudo-terminal (the client sets
// the line speed on its side) or a TCP connection (raw bytes, no line speed).

#include <optional>
#include <string>

namespace varnu::sim {

class ServedLine {
public:
    // A line owns its descriptors: never copied.
    ServedLine() = default;
    ServedLine(const ServedLine&) = delete;
    ServedLine& operator=(const ServedLine&) = delete;
    virtual ~ServedLine() = default;

    // The descriptor that carries the client's bytes; -1 while no client is connected.
    virtual int fd() const = 0;
    // The speed the client set on its side; nothing when the line carries no speed, which
    // then always runs at the speed the projector expects.
    virtual std::optional<int> clientBaud() const = 0;
    // Bytes written that the client has not taken yet.
    virtual int unreadByClient() const = 0;
    // Drops the client, as a projector losing power; an error text when the line cannot be
    // offered again.
    virtual std::string hangUp() = 0;
    // What the log and the ready line call this line.
    virtual std::string where() const = 0;

    // Lines that wait for clients (TCP): the descriptor to poll for a new one, -1 otherwise.
    virtual int listenFd() const { return -1; }
    // Takes a waiting client: the log's note of what happened, whether a new client is on the
    // line now, and whether no client could be taken at all (out of descriptors: the waiting
    // client stays, and the listener with it stays readable).
    struct Accepted {
        std::string note;
        bool newClient = false;
        bool failed = false;
    };
    virtual Accepted acceptClient() { return {}; }
    // The client closed its end; the log's note, or nothing when the line cannot go on
    // without it.
    virtual std::optional<std::string> clientLeft() { return std::nullopt; }
};

} // namespace varnu::sim
