#include "tools/simulator/Server.h"

#include "tools/simulator/ByteLog.h"
#include "tools/simulator/LineIntake.h"
#include "tools/simulator/LinkLock.h"
#include "tools/simulator/LossTally.h"
#include "tools/simulator/Projector.h"
#include "tools/simulator/PseudoTerminal.h"
#include "tools/simulator/TcpLine.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace varnu::sim {

namespace {

constexpr std::size_t kReadChunk = 512;
// What one wake-up reads at most, so that a client that writes without pause cannot keep the
// server reading for ever: more than a pseudo-terminal holds.
constexpr std::size_t kMaxReadPerWake = 128 * 1024;
// Output the terminal does not take (the client is not reading and its queue is full) is
// kept up to this much, like the client's input queue; beyond it, bytes are lost as on a wire.
constexpr std::size_t kMaxPendingOutputBytes = 4096;
// Closing the master discards what the client has not read yet, so a hang-up first gives
// the client up to kHangUpDrain to take the last answer. Bytes written to the master reach
// the slave's queue a moment later, so the queue is not trusted before kHangUpSettleMs.
constexpr auto kHangUpDrain = std::chrono::milliseconds(200);
constexpr int kHangUpSettleMs = 20;
constexpr int kDrainPollMs = 2;
// A listener that cannot take its waiting client (out of descriptors) stays readable: it is
// left alone this long before the next try, so that the server does not spin.
constexpr SimTime kAcceptRetryPause = std::chrono::seconds(1);
// The client is gone once it has closed its end (POLLRDHUP), even while bytes it sent wait
// unread because the line's speed holds them back; a pseudo-terminal never reports POLLRDHUP.
constexpr short kClientGoneEvents = POLLERR | POLLHUP | POLLNVAL | POLLRDHUP;

// The write end of the self-pipe: the signal handler only writes one byte to it.
volatile sig_atomic_t gSignalPipe = -1;

extern "C" void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (gSignalPipe >= 0) {
        // When the pipe is full a stop is already on its way.
        const ssize_t ignored = ::write(gSignalPipe, &byte, 1);
        (void)ignored;
    }
    errno = saved;
}

class StopSignals {
public:
    StopSignals() {
        if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0)
            return;
        gSignalPipe = pipe_[1];
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        ::sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
        // A TCP client that has gone makes a write fail with EPIPE rather than end the simulator.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &oldPipe_);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        ::sigaction(SIGPIPE, &oldPipe_, nullptr);
        gSignalPipe = -1;
        for (int fd : pipe_)
            if (fd >= 0)
                ::close(fd);
    }
    bool ok() const { return pipe_[0] >= 0; }
    int readEnd() const { return pipe_[0]; }

private:
    int pipe_[2] = {-1, -1};
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    struct sigaction oldPipe_ {};
};

SimTime sinceStart(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - start);
}

// Time until `wake` as a poll time-out, rounded up so that the loop never wakes early
// and spins; -1 (no time-out) when nothing is scheduled.
int pollTimeout(std::optional<SimTime> wake, SimTime now) {
    if (!wake)
        return -1;
    const auto micros = (*wake - now).count();
    if (micros <= 0)
        return 0;
    return static_cast<int>((micros + 999) / 1000);
}

void letClientDrain(const ServedLine& line) {
    const auto deadline = std::chrono::steady_clock::now() + kHangUpDrain;
    ::poll(nullptr, 0, kHangUpSettleMs);
    while (line.unreadByClient() > 0 && std::chrono::steady_clock::now() < deadline)
        ::poll(nullptr, 0, kDrainPollMs);
}

// One projector served on one line: input to the projector, its output to the line.
class LineServer {
public:
    LineServer(ServedLine& line, ByteLog& log, std::vector<Rule> rules)
        : line_(line), log_(log), projector_(std::move(rules)) {}

    std::optional<SimTime> nextWake(SimTime now) const {
        std::optional<SimTime> wake = projector_.nextWake();
        auto consider = [&wake](std::optional<SimTime> t) {
            if (t)
                wake = wake ? std::min(*wake, *t) : *t;
        };
        const int baud = clientBaud();
        if (!intake_.ready(now, baud))
            consider(intake_.nextBatchAt(now, baud));
        consider(inputLosses_.expiry());
        consider(outputLosses_.expiry());
        if (acceptPaused(now))
            consider(acceptPausedUntil_);
        return wake;
    }
    // Input is looked at only when the line has brought a batch since the last read; a client
    // that leaves is seen at once.
    short events(SimTime now) const {
        const short in = intake_.ready(now, clientBaud()) ? POLLIN : 0;
        return static_cast<short>(in | POLLRDHUP | (pendingOut_.empty() ? 0 : POLLOUT));
    }
    // The listener to poll for a new client: -1 when there is none, or while a failure to take
    // one pauses it.
    int listenFd(SimTime now) const { return acceptPaused(now) ? -1 : line_.listenFd(); }

    // Takes the client waiting on the listener. A failure is logged once until a client is
    // taken again, and pauses the listener.
    void acceptClient(SimTime now) {
        const ServedLine::Accepted accepted = line_.acceptClient();
        if (accepted.failed) {
            acceptPausedUntil_ = now + kAcceptRetryPause;
            if (!std::exchange(acceptFailing_, true))
                log_.event(now, accepted.note);
            return;
        }
        if (!accepted.note.empty()) {
            acceptFailing_ = false;
            log_.event(now, accepted.note);
        }
        if (accepted.newClient)
            clientChanged();
    }

    // Reads everything waiting; the line lets in what it could have carried by now, the rest
    // is lost (see LineIntake). False when the client closed its end.
    bool readInput(SimTime now) {
        const int baud = clientBaud();
        bool open = true;
        const std::size_t allowed = intake_.allowance(now, baud);
        Bytes in;
        std::size_t lost = 0;
        for (std::size_t read = 0; read < kMaxReadPerWake;) {
            std::uint8_t buffer[kReadChunk];
            const ssize_t count = ::read(line_.fd(), buffer, sizeof buffer);
            if (count == 0)
                open = false;
            if (count <= 0)
                break;
            const auto size = static_cast<std::size_t>(count);
            const std::size_t kept = std::min(size, allowed - in.size());
            in.insert(in.end(), buffer, buffer + kept);
            lost += size - kept;
            read += size;
        }
        intake_.take(in.size(), now, baud);
        if (!in.empty()) {
            log_.bytesIn(now, in);
            projector_.receive(in, now, baud);
        }
        if (lost > 0)
            logNote(now, inputLosses_.add("the client sends faster than the line carries", lost, "byte(s)", now));
        return open;
    }

    // A new client on the line: what was due for the last one is not its business.
    void clientChanged() { pendingOut_.clear(); }

    // Runs the projector up to `now` and writes what is due. Returns an error text when the
    // line could not be set up again after a hang-up.
    std::string serve(SimTime now) {
        ProjectorOutput out = projector_.advance(now);
        logOutput(out, now);
        const std::size_t room = kMaxPendingOutputBytes - std::min(kMaxPendingOutputBytes, pendingOut_.size());
        const std::size_t kept = std::min(room, out.bytes.size());
        pendingOut_.insert(pendingOut_.end(), out.bytes.begin(), out.bytes.begin() + static_cast<std::ptrdiff_t>(kept));
        if (kept < out.bytes.size())
            logNote(now, outputLosses_.add("the client does not read", out.bytes.size() - kept, "byte(s)", now));
        logNote(now, inputLosses_.expire(now));
        logNote(now, outputLosses_.expire(now));
        if (line_.fd() < 0)
            pendingOut_.clear(); // nobody on the line: the bytes go nowhere
        if (!pendingOut_.empty()) {
            const ssize_t written = ::write(line_.fd(), pendingOut_.data(), pendingOut_.size());
            if (written > 0)
                pendingOut_.erase(pendingOut_.begin(), pendingOut_.begin() + written);
        }
        if (!out.hangUp)
            return {};
        letClientDrain(line_);
        pendingOut_.clear();
        if (std::string error = line_.hangUp(); !error.empty())
            return error;
        log_.event(now, "hang-up: now serving on " + line_.where());
        return {};
    }

    // Tells what is still untold at the end of the run.
    void finish(SimTime now) {
        logNote(now, projector_.takePendingNote());
        logNote(now, inputLosses_.end());
        logNote(now, outputLosses_.end());
    }

private:
    // A line without a speed of its own runs at the speed the projector expects.
    int clientBaud() const { return line_.clientBaud().value_or(projector_.expectedBaud()); }
    bool acceptPaused(SimTime now) const { return acceptPausedUntil_ && now < *acceptPausedUntil_; }

    void logNote(SimTime now, const std::optional<std::string>& text) {
        if (text)
            log_.event(now, *text);
    }

    // The bytes and the notes in the order in which they happened.
    void logOutput(const ProjectorOutput& out, SimTime now) {
        const std::span<const std::uint8_t> bytes(out.bytes);
        std::size_t logged = 0;
        auto logBytesUpTo = [&](std::size_t end) {
            if (end > logged)
                log_.bytesOut(now, bytes.subspan(logged, end - logged));
            logged = std::max(logged, end);
        };
        for (const ProjectorNote& note : out.notes) {
            logBytesUpTo(note.afterBytes);
            log_.event(now, note.text);
        }
        logBytesUpTo(bytes.size());
    }

    ServedLine& line_;
    ByteLog& log_;
    Projector projector_;
    LineIntake intake_;
    Bytes pendingOut_; // bytes due but not yet taken by the terminal
    LossTally inputLosses_;
    LossTally outputLosses_;
    std::optional<SimTime> acceptPausedUntil_;
    bool acceptFailing_ = false; // the last try to take a client failed: told already
};

} // namespace

int runServer(const ServerSetup& setup, std::ostream& ready, std::ostream& errors) {
    const auto start = std::chrono::steady_clock::now();
    // First of all: a simulator refused for a busy link touches nothing, not even the log.
    LinkLock lock;
    if (setup.listenAddress.empty()) {
        if (std::string error = lock.acquire(setup.linkPath); !error.empty()) {
            errors << error << '\n';
            return 1;
        }
    }
    ByteLog log;
    if (!log.open(setup.logPath)) {
        errors << "cannot create the log file " << setup.logPath << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    StopSignals signals;
    if (!signals.ok()) {
        errors << "cannot set up signal handling: " << std::strerror(errno) << '\n';
        return 1;
    }
    std::unique_ptr<ServedLine> line;
    PseudoTerminal* terminal = nullptr;
    if (setup.listenAddress.empty()) {
        auto pty = std::make_unique<PseudoTerminal>();
        terminal = pty.get();
        line = std::move(pty);
        if (std::string error = terminal->open(setup.linkPath); !error.empty()) {
            errors << error << '\n';
            return 1;
        }
    } else {
        auto tcp = std::make_unique<TcpLine>();
        if (std::string error = tcp->listen(setup.listenAddress); !error.empty()) {
            errors << error << '\n';
            return 1;
        }
        line = std::move(tcp);
    }
    ready << line->where() << std::endl;
    log.event(sinceStart(start), "serving on " + line->where());

    LineServer server(*line, log, setup.rules);
    std::string failure;
    while (failure.empty()) {
        const SimTime before = sinceStart(start);
        pollfd fds[3] = {{signals.readEnd(), POLLIN, 0},
                         {line->fd(), server.events(before), 0},
                         {server.listenFd(before), POLLIN, 0}};
        const int timeout = pollTimeout(server.nextWake(before), before);
        if (::poll(fds, 3, timeout) < 0 && errno != EINTR) {
            failure = std::string("poll failed: ") + std::strerror(errno);
            break;
        }
        if (fds[0].revents & POLLIN)
            break;
        const SimTime now = sinceStart(start);
        // With the simulator's own slave descriptor open the master never hangs up; if it
        // did, polling it again would return at once, forever. A TCP client that goes makes
        // room for the next, so its leaving is seen before a new client is taken; what the
        // line lets in of its last bytes is read first.
        bool gone = false;
        if (fds[1].revents & POLLIN)
            gone = !server.readInput(now);
        gone = gone || (fds[1].revents & kClientGoneEvents) != 0;
        if (gone) {
            const std::optional<std::string> note = line->clientLeft();
            if (!note) {
                failure = "the pseudo-terminal failed";
                break;
            }
            log.event(now, *note);
            server.clientChanged();
        }
        if (fds[2].revents & POLLIN)
            server.acceptClient(now);
        failure = server.serve(now);
    }
    server.finish(sinceStart(start));
    log.event(sinceStart(start), failure.empty() ? "stopped" : failure);
    if (terminal != nullptr)
        terminal->removeLink();
    if (failure.empty())
        return 0;
    errors << failure << '\n';
    return 1;
}

} // namespace varnu::sim
