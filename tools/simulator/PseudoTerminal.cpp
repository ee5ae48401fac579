#include "tools/simulator/PseudoTerminal.h"

#include "tools/simulator/LineTiming.h"
#include "tools/simulator/SystemError.h"

#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace varnu::sim {

namespace {

constexpr std::array<std::pair<speed_t, int>, 12> kBaudTable{{
    {B1200, 1200},
    {B2400, 2400},
    {B4800, 4800},
    {B9600, 9600},
    {B19200, 19200},
    {B38400, 38400},
    {B57600, 57600},
    {B115200, 115200},
    {B230400, 230400},
    {B460800, 460800},
    {B921600, 921600},
    {B300, 300},
}};

// Points `linkPath` at `target` in one step (a new link renamed over the old one), so a
// client never finds the path missing.
std::string pointLink(const std::string& linkPath, const std::string& target) {
    struct stat info {};
    if (::lstat(linkPath.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        return linkPath + " exists and is not a symbolic link";
    const std::string temporary = linkPath + ".new";
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0)
        return systemError("cannot create the link " + linkPath);
    if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
        const std::string error = systemError("cannot create the link " + linkPath);
        ::unlink(temporary.c_str());
        return error;
    }
    return {};
}

} // namespace

std::string PseudoTerminal::open(const std::string& linkPath) {
    // The new pair takes the link before the old one closes, so a client that sees the
    // hang-up finds the new device at once.
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return systemError("cannot open a pseudo-terminal");

    // A new slave is in cooked mode with echo on: raw mode at once, 9600 until the client
    // chooses its speed.
    termios settings{};
    ::tcgetattr(slave, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    ::tcsetattr(slave, TCSANOW, &settings);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);

    char name[PATH_MAX] = {};
    std::string error;
    if (::ttyname_r(slave, name, sizeof name) != 0)
        error = systemError("cannot name the pseudo-terminal");
    else
        error = pointLink(linkPath, name);
    if (!error.empty()) {
        ::close(master);
        ::close(slave);
        return error;
    }
    close();
    master_ = master;
    slave_ = slave;
    slavePath_ = name;
    linkPath_ = linkPath;
    return {};
}

void PseudoTerminal::close() {
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

void PseudoTerminal::removeLink() const {
    if (linkPath_.empty())
        return;
    char target[PATH_MAX] = {};
    const ssize_t size = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (size > 0 && slavePath_ == std::string(target, static_cast<std::size_t>(size)))
        ::unlink(linkPath_.c_str());
}

int PseudoTerminal::unreadByClient() const {
    int count = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &count) != 0)
        return 0;
    return count;
}

std::optional<int> PseudoTerminal::clientBaud() const {
    termios settings{};
    if (master_ < 0 || ::tcgetattr(master_, &settings) != 0)
        return 0;
    const speed_t speed = ::cfgetospeed(&settings);
    for (const auto& [code, baud] : kBaudTable)
        if (code == speed)
            return baud;
    return 0;
}

} // namespace varnu::sim
