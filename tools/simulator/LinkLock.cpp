#include "tools/simulator/LinkLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnu::sim {

namespace {

// A simulator that is ending removes its lock file; one that opened the file just before
// finds it gone after locking and tries again with a new one.
constexpr int kLockTries = 3;

std::string heldBy(int fd) {
    char text[32] = {};
    const ssize_t size = ::pread(fd, text, sizeof text - 1, 0);
    const std::string pid = size > 0 ? std::string(text, static_cast<std::size_t>(size)) : "";
    return pid.empty() ? "" : " (pid " + pid + ")";
}

bool stillNamed(int fd, const std::string& path) {
    struct stat held {};
    struct stat named {};
    return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

} // namespace

LinkLock::~LinkLock() {
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str());
    ::close(fd_);
}

std::string LinkLock::acquire(const std::string& linkPath) {
    const std::string path = linkPath + ".lock";
    for (int attempt = 0; attempt < kLockTries; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            return "cannot create the lock file " + path + ": " + std::strerror(errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string holder = heldBy(fd);
            ::close(fd);
            if (error == EWOULDBLOCK)
                return linkPath + " is served by a running simulator" + holder;
            return "cannot lock " + path + ": " + std::strerror(error);
        }
        if (!stillNamed(fd, path)) {
            ::close(fd);
            continue;
        }
        const std::string pid = std::to_string(::getpid());
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
            const std::string error = "cannot write the lock file " + path + ": " + std::strerror(errno);
            ::unlink(path.c_str());
            ::close(fd);
            return error;
        }
        fd_ = fd;
        path_ = path;
        return {};
    }
    return "cannot lock " + path + ": it keeps being replaced";
}

} // namespace varnu::sim
