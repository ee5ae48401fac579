#include "tools/simulator/Server.h"

#include "tools/simulator/ByteLog.h"
#include "tools/simulator/LineIntake.h"
#include "tools/simulator/LinkLock.h"
#include "tools/simulator/LossTally.h"
#include "tools/simulator/Projector.h"
#include "tools/simulator/PseudoTerminal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
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

void letClientDrain(const PseudoTerminal& line) {
    const auto deadline = std::chrono::steady_clock::now() + kHangUpDrain;
    ::poll(nullptr, 0, kHangUpSettleMs);
    while (line.unreadByClient() > 0 && std::chrono::steady_clock::now() < deadline)
        ::poll(nullptr, 0, kDrainPollMs);
}

// One projector served on one line: input to the projector, its output to the line.
class LineServer {
public:
    LineServer(const ServerSetup& setup, PseudoTerminal& line, ByteLog& log)
        : setup_(setup), line_(line), log_(log), projector_(setup.rules) {}

    std::optional<SimTime> nextWake(SimTime now) const {
        std::optional<SimTime> wake = projector_.nextWake();
        auto consider = [&wake](std::optional<SimTime> t) {
            if (t)
                wake = wake ? std::min(*wake, *t) : *t;
        };
        const int baud = line_.clientBaud();
        if (!intake_.ready(now, baud))
            consider(intake_.nextBatchAt(now, baud));
        consider(inputLosses_.expiry());
        consider(outputLosses_.expiry());
        return wake;
    }
    // Input is looked at only when the line has brought a batch since the last read.
    short events(SimTime now) const {
        const short in = intake_.ready(now, line_.clientBaud()) ? POLLIN : 0;
        return static_cast<short>(in | (pendingOut_.empty() ? 0 : POLLOUT));
    }

    // Reads everything waiting; the line lets in what it could have carried by now, the rest
    // is lost (see LineIntake).
    void readInput(SimTime now) {
        const int baud = line_.clientBaud();
        const std::size_t allowed = intake_.allowance(now, baud);
        Bytes in;
        std::size_t lost = 0;
        for (std::size_t read = 0; read < kMaxReadPerWake;) {
            std::uint8_t buffer[kReadChunk];
            const ssize_t count = ::read(line_.master(), buffer, sizeof buffer);
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
    }

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
        if (!pendingOut_.empty()) {
            const ssize_t written = ::write(line_.master(), pendingOut_.data(), pendingOut_.size());
            if (written > 0)
                pendingOut_.erase(pendingOut_.begin(), pendingOut_.begin() + written);
        }
        if (!out.hangUp)
            return {};
        // A fresh terminal takes the link and the old one closes, which drops the line under
        // the client; the client gets the line back by opening the path again.
        letClientDrain(line_);
        pendingOut_.clear();
        if (std::string error = line_.open(setup_.linkPath); !error.empty())
            return error;
        log_.event(now, "hang-up: now serving on " + line_.slavePath());
        return {};
    }

    // Tells what is still untold at the end of the run.
    void finish(SimTime now) {
        logNote(now, projector_.takePendingNote());
        logNote(now, inputLosses_.end());
        logNote(now, outputLosses_.end());
    }

private:
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

    const ServerSetup& setup_;
    PseudoTerminal& line_;
    ByteLog& log_;
    Projector projector_;
    LineIntake intake_;
    Bytes pendingOut_; // bytes due but not yet taken by the terminal
    LossTally inputLosses_;
    LossTally outputLosses_;
};

} // namespace

int runServer(const ServerSetup& setup, std::ostream& ready, std::ostream& errors) {
    const auto start = std::chrono::steady_clock::now();
    // First of all: a simulator refused for a busy link touches nothing, not even the log.
    LinkLock lock;
    if (std::string error = lock.acquire(setup.linkPath); !error.empty()) {
        errors << error << '\n';
        return 1;
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
    PseudoTerminal line;
    if (std::string error = line.open(setup.linkPath); !error.empty()) {
        errors << error << '\n';
        return 1;
    }
    ready << line.slavePath() << std::endl;
    log.event(sinceStart(start), "serving on " + line.slavePath());

    LineServer server(setup, line, log);
    std::string failure;
    while (failure.empty()) {
        const SimTime before = sinceStart(start);
        pollfd fds[2] = {{signals.readEnd(), POLLIN, 0}, {line.master(), server.events(before), 0}};
        const int timeout = pollTimeout(server.nextWake(before), before);
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) {
            failure = std::string("poll failed: ") + std::strerror(errno);
            break;
        }
        if (fds[0].revents & POLLIN)
            break;
        // With the simulator's own slave descriptor open the master never hangs up; if it
        // did, polling it again would return at once, forever.
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            failure = "the pseudo-terminal failed";
            break;
        }
        const SimTime now = sinceStart(start);
        if (fds[1].revents & POLLIN)
            server.readInput(now);
        failure = server.serve(now);
    }
    server.finish(sinceStart(start));
    log.event(sinceStart(start), failure.empty() ? "stopped" : failure);
    line.removeLink();
    if (failure.empty())
        return 0;
    errors << failure << '\n';
    return 1;
}

} // namespace varnu::sim
