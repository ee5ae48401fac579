// The port guard on Linux: flock() on the open device. Locks belong to the device's inode, so
// every name of it (a symbolic link, a /dev/serial/by-id/ name, the device path) meets the
// same lock, and root is held back as much as anyone.

#include "serial/PortGuard.h"

#include "serial/PortFacts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace varnu {

namespace {

// Other names of the open device to try when stale lock files of another user bar them too.
constexpr int kAliasTries = 8;

PortProblem problemOfOpenError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return PortProblem::NoSuchDevice;
    case ENXIO:
    case ENODEV:
    case EIO:
        return PortProblem::NoDeviceBehind;
    case EACCES:
    case EPERM:
    case EROFS:
        return PortProblem::PermissionDenied;
    case EBUSY:
        return PortProblem::InUse;
    default:
        return PortProblem::Other;
    }
}

std::string kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return "a regular file";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISBLK(mode))
        return "a disk or other block device";
    return "a device of another kind";
}

// A lock file named after `name` that QSerialPort would take: a stale one is removed; one
// this user may not remove (the lock folder is sticky: only its owner may) bars the name.
// A live one is left to QSerialPort, whose refusal then names the holder.
bool nameIsFree(const std::string& name, std::string& cleared) {
    const std::string lockPath = lockFilePathFor(name);
    if (readLockFile(lockPath).kind != LockFileState::Stale)
        return true;
    if (::unlink(lockPath.c_str()) == 0 || errno == ENOENT) {
        cleared = lockPath;
        return true;
    }
    return false;
}

std::string aliasFor(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

std::optional<PortFailure> PortGuard::acquire(const std::string& portName, const std::string& systemPath) {
    release();
    const auto refusal = [&](PortProblem problem, int error, const std::string& path) {
        PortFailure failure = portFailure(problem, portName, path == portName ? std::string() : path);
        if (error != 0)
            failure.systemText = std::generic_category().message(error);
        return failure;
    };

    std::error_code resolved;
    const std::filesystem::path canonical = std::filesystem::canonical(systemPath, resolved);
    if (resolved)
        return refusal(problemOfOpenError(resolved.value()), resolved.value(), systemPath);
    const std::string path = canonical.string();
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0)
        return refusal(problemOfOpenError(errno), errno, path);
    if (!S_ISCHR(file.st_mode)) {
        PortFailure failure = refusal(PortProblem::NotSerial, 0, path);
        failure.facts.kind = kindOf(file.st_mode);
        return failure;
    }

    // Without O_NONBLOCK the open of a port without carrier would wait for it.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return refusal(problemOfOpenError(errno), errno, path);
    if (!::isatty(fd)) {
        ::close(fd);
        PortFailure failure = refusal(PortProblem::NotSerial, 0, path);
        failure.facts.kind = kindOf(0);
        return failure;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        return refusal(PortProblem::InUse, 0, path);
    }

    fd_ = fd;
    devicePath_ = path;
    openName_ = path;
    if (!nameIsFree(path, clearedLockFile_)) {
        // /proc/self/fd/N opens the same device anew, and its lock file has a name of its own.
        int alias = fd_;
        std::string ignored;
        for (int tries = 0; tries < kAliasTries && !nameIsFree(aliasFor(alias), ignored); ++tries) {
            alias = ::fcntl(fd_, F_DUPFD_CLOEXEC, alias + 1);
            if (alias < 0)
                break;
            aliases_.push_back(alias);
        }
        if (alias >= 0)
            openName_ = aliasFor(alias);
    }
    return std::nullopt;
}

bool PortGuard::deviceGone() const {
    termios settings{};
    return fd_ >= 0 && ::tcgetattr(fd_, &settings) != 0 && (errno == EIO || errno == ENXIO || errno == ENODEV);
}

void PortGuard::release() {
    for (int alias : aliases_)
        ::close(alias);
    aliases_.clear();
    if (fd_ >= 0)
        ::close(fd_); // drops the lock
    fd_ = -1;
    devicePath_.clear();
    openName_.clear();
    clearedLockFile_.clear();
}

} // namespace varnu
