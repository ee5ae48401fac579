#pragma once
// Keeps a second simulator off a link that a running one serves. The lock is a file beside
// the link (PATH.lock) held with flock() for the life of the simulator: the system drops it
// when the process ends, however it ends, so a link left behind by a simulator that is gone
// is simply taken over. The file names the holder's process id for the refusal message.

#include <string>

namespace varnu::sim {

class LinkLock {
public:
    LinkLock() = default;
    LinkLock(const LinkLock&) = delete;
    LinkLock& operator=(const LinkLock&) = delete;
    // Removes the lock file and lets go of the lock.
    ~LinkLock();

    // Takes the lock of `linkPath`. Returns an error text, empty on success; a link that a
    // live simulator serves gives "PATH is served by a running simulator (pid N)".
    std::string acquire(const std::string& linkPath);

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace varnu::sim
