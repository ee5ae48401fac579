#pragma once
// Test helpers that run real programs: a child process with its output in pipes, the
// projector simulator on a pseudo-terminal in a temporary folder, and line noise to feed it.
// POSIX only; the simulator needs /dev/ptmx.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace varnu::testing {

using namespace std::chrono_literals;

// A program started with its stdout and stderr in pipes. The destructor kills it if it still runs.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        closePipes();
    }

    // argv[0] is the program's path.
    bool start(const std::vector<std::string>& argv) {
        closePipes();
        output.clear();
        errors.clear();
        int outPipe[2];
        int errPipe[2];
        // Close-on-exec, so that a later child does not hold these pipes open.
        if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
            return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(outPipe[1], STDOUT_FILENO);
            ::dup2(errPipe[1], STDERR_FILENO);
            ::close(outPipe[0]);
            ::close(errPipe[0]);
            std::vector<char*> args;
            for (const std::string& arg : argv)
                args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(outPipe[1]);
        ::close(errPipe[1]);
        out_ = outPipe[0];
        err_ = errPipe[0];
        return pid_ > 0;
    }

    pid_t pid() const { return pid_; }

    // Reads stdout until `wanted` appears in what was read so far, or the output ends, or
    // `patience` passes; true when it appeared.
    bool readOutputUntil(const std::string& wanted, std::chrono::milliseconds patience) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (output.find(wanted) == std::string::npos) {
            if (!readSome(out_, output, deadline))
                return false;
        }
        return true;
    }

    // Waits for the exit, gathering all output; the exit status, or -1 when the program was
    // ended by a signal or did not end by itself within `patience` (it is killed then).
    int wait(std::chrono::milliseconds patience) {
        if (pid_ <= 0)
            return -1;
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (readSome(out_, output, deadline)) {
        }
        while (readSome(err_, errors, deadline)) {
        }
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            ::usleep(kExitPollUs);
        const bool exited = ended == pid_ && WIFEXITED(status);
        if (ended != pid_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
        return exited ? WEXITSTATUS(status) : -1;
    }

    // Sends `signal` and waits for the end; the exit status, or -1 after a death by signal.
    int stop(int signal) {
        if (pid_ <= 0)
            return -1; // never kill(-1, ...): that would signal every process we may signal
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string output;
    std::string errors;

private:
    // Appends one chunk from `fd`; false at the end of the output or the deadline.
    static bool readSome(int fd, std::string& into, std::chrono::steady_clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd, POLLIN, 0};
        if (fd < 0 || left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            return false;
        into.append(buffer, static_cast<std::size_t>(count));
        return true;
    }

    void closePipes() {
        for (int* fd : {&out_, &err_}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

    static constexpr useconds_t kExitPollUs = 10'000;

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

// Random bytes for the line-noise tests, the same on every run.
inline std::vector<std::uint8_t> noiseBytes(std::size_t count, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    return bytes;
}
inline constexpr std::uint32_t kNoiseSeed = 20240611;

// Writes `period` of random bytes to the open terminal `fd`: at the line speed of 9600 (ten
// bytes every 10.4 ms), or as fast as the terminal takes them. Whatever comes back meanwhile
// is read and dropped, as a client's read loop would. Returns how long it took.
inline std::chrono::steady_clock::duration sendNoise(int fd, std::chrono::milliseconds period, bool paced) {
    constexpr std::size_t kPacedChunk = 10;
    constexpr auto kPacedChunkTime = 10'416us;
    constexpr std::size_t kFloodChunk = 4096;
    std::mt19937 random(kNoiseSeed);
    const auto start = std::chrono::steady_clock::now();
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    for (auto next = start; std::chrono::steady_clock::now() < start + period; next += kPacedChunkTime) {
        const std::vector<std::uint8_t> chunk = noiseBytes(paced ? kPacedChunk : kFloodChunk, random);
        const ssize_t ignored = ::write(fd, chunk.data(), chunk.size()); // a full terminal takes nothing
        (void)ignored;
        std::uint8_t answers[kFloodChunk];
        while (::read(fd, answers, sizeof answers) > 0) {
        }
        if (paced)
            std::this_thread::sleep_until(next + kPacedChunkTime);
        else
            ::poll(nullptr, 0, 1);
    }
    ::fcntl(fd, F_SETFL, flags);
    return std::chrono::steady_clock::now() - start;
}

// varnu-projector-sim serving on `link` (or a loopback TCP port) in a fresh temporary folder,
// removed afterwards.
class SimulatorProcess {
public:
    SimulatorProcess() {
        char dir[] = "/tmp/varnu-send-XXXXXX";
        if (::mkdtemp(dir) != nullptr)
            dir_ = dir;
        link = dir_ / "projector";
    }
    ~SimulatorProcess() {
        process_.reset();
        std::error_code ignored;
        if (!dir_.empty())
            std::filesystem::remove_all(dir_, ignored);
    }

    // A file in the temporary folder.
    std::filesystem::path file(const std::string& name, const std::string& content) const {
        std::ofstream(dir_ / name, std::ios::binary) << content;
        return dir_ / name;
    }
    std::filesystem::path path(const std::string& name) const { return dir_ / name; }

    // Starts the simulator with these rules (none when empty) and waits for its ready line.
    bool start(const std::string& simulatorPath, const std::string& rules = "") {
        return startWith(simulatorPath, {"--link", link.string()}, rules);
    }
    // The same on a raw TCP port of the loopback address that the system picks.
    bool startListening(const std::string& simulatorPath, const std::string& rules = "") {
        return startWith(simulatorPath, {"--listen", "127.0.0.1:0"}, rules);
    }

    // The ready line: the pseudo-terminal's device, or "tcp://127.0.0.1:PORT".
    std::string served() const {
        return process_ ? process_->output.substr(0, process_->output.find('\n')) : std::string();
    }

    pid_t pid() const { return process_ ? process_->pid() : -1; }

    // Ends the simulator at once, as a projector that loses power.
    void kill() {
        if (process_)
            process_->stop(SIGKILL);
    }

    std::filesystem::path link;

private:
    static constexpr std::chrono::milliseconds kReadyPatience{5000};

    bool startWith(const std::string& simulatorPath, std::vector<std::string> line, const std::string& rules) {
        std::vector<std::string> argv{simulatorPath, "--log", path("sim.log").string()};
        argv.insert(argv.end(), line.begin(), line.end());
        if (!rules.empty()) {
            argv.push_back("--rules");
            argv.push_back(file("rules", rules).string());
        }
        process_ = std::make_unique<ChildProcess>();
        return process_->start(argv) && process_->readOutputUntil("\n", kReadyPatience);
    }

    std::filesystem::path dir_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace varnu::testing
