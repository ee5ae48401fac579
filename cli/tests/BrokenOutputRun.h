#pragma once
// Runs the varnu-cli binary with a standard output that fails: /dev/full (every write fails
// with "No space left on device") or a pipe whose reader has already gone ("Broken pipe",
// with SIGPIPE at its default so that the program must deal with it itself). POSIX only.

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace varnu::cli::testing {

enum class BrokenOutput { DevFull, ClosedPipe };

struct BrokenOutputRun {
    int status = -1; // the exit status; -1 after a signal or when it did not end in time
    std::string err;
};

inline BrokenOutputRun runWithBrokenOutput(const std::vector<std::string>& args, BrokenOutput output,
                                           std::chrono::seconds patience = std::chrono::seconds(30)) {
    BrokenOutputRun result;
    char errPath[] = "/tmp/varnu-cli-err-XXXXXX";
    const int errFd = ::mkstemp(errPath);
    if (errFd < 0)
        return result;
    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (output == BrokenOutput::ClosedPipe && ::pipe(pipeFds) == 0) {
        ::close(pipeFds[0]); // the reader is gone before the first write
        ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    } else {
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/full", O_WRONLY, 0);
    }
    ::posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> argv{VARNU_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, VARNU_CLI_PATH, &actions, &attributes, pointers.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    if (pipeFds[1] >= 0)
        ::close(pipeFds[1]);
    ::close(errFd);

    if (spawned == 0 && pid > 0) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (ended != pid) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        } else if (WIFEXITED(status)) {
            result.status = WEXITSTATUS(status);
        }
    }
    std::ifstream errText(errPath, std::ios::binary);
    std::ostringstream text;
    text << errText.rdbuf();
    result.err = text.str();
    ::unlink(errPath);
    return result;
}

} // namespace varnu::cli::testing
