// The facts about a port on Linux: /proc for processes, their open files and advisory locks,
// the lock folder, the device's owner and mode, the user database, sysfs for USB ids.

#include "serial/PortFacts.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace varnu {

namespace fs = std::filesystem;

namespace {

// QSerialPort's lock folder: the first of its list that exists and can be written, which on
// Debian and its kin is always this one (a link to /run/lock, writable by everyone).
constexpr std::string_view kLockFolder = "/var/lock";
constexpr std::string_view kDevFolder = "/dev/";
// The kernel keeps at most this many characters of a program's name in /proc/PID/comm.
constexpr std::size_t kCommLength = 15;
// Enough for the names and member lists of the user and group databases.
constexpr std::size_t kUserRecordBytes = 64 * 1024;

// Where brltty's udev rules may be, with the USB ids of the devices it claims.
constexpr std::array kBrlttyRules{"/usr/lib/udev/rules.d/85-brltty.rules", "/lib/udev/rules.d/85-brltty.rules",
                                  "/etc/udev/rules.d/85-brltty.rules"};

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string firstLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::optional<long> numberIn(std::string_view text, int base = 10) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool processRuns(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

// The name the system gives a running process ("varnu-cli"), or empty.
std::string programOf(long pid) {
    return firstLine(fs::path("/proc") / std::to_string(pid) / "comm");
}

bool sameProgram(std::string_view comm, std::string_view recorded) {
    const std::string_view head = recorded.substr(0, kCommLength);
    return comm.size() == head.size() && std::equal(comm.begin(), comm.end(), head.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// Every running process by number; the folder is empty where /proc is missing.
std::vector<long> processIds() {
    std::vector<long> pids;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        if (const auto pid = numberIn(it->path().filename().string()))
            pids.push_back(*pid);
    }
    return pids;
}

bool programRuns(std::string_view name) {
    const std::vector<long> pids = processIds();
    return std::any_of(pids.begin(), pids.end(), [name](long pid) { return programOf(pid) == name; });
}

// The owner of an advisory (flock) lock on the file, from /proc/locks:
// "1: FLOCK  ADVISORY  WRITE 2143 00:05:118 0 EOF", the device and inode in its sixth field.
std::optional<long> flockOwner(const struct stat& file) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, type, advisory, mode, pid, where;
        fields >> number >> type >> advisory >> mode >> pid >> where;
        if (type != "FLOCK") // "->" marks a process waiting for the lock, not its owner
            continue;
        const std::size_t first = where.find(':');
        const std::size_t second = where.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const auto major = numberIn(std::string_view(where).substr(0, first), 16);
        const auto minor = numberIn(std::string_view(where).substr(first + 1, second - first - 1), 16);
        const auto inode = numberIn(std::string_view(where).substr(second + 1));
        if (major && minor && inode && static_cast<unsigned>(*major) == ::major(file.st_dev) &&
            static_cast<unsigned>(*minor) == ::minor(file.st_dev) && static_cast<ino_t>(*inode) == file.st_ino)
            return numberIn(pid);
    }
    return std::nullopt;
}

// A process with the device open: the system lists another user's open files to the
// administrator only.
std::optional<long> processWithOpen(const std::string& devicePath) {
    for (long pid : processIds()) {
        std::error_code error;
        const fs::path fds = fs::path("/proc") / std::to_string(pid) / "fd";
        for (fs::directory_iterator it(fds, error), end; !error && it != end; it.increment(error)) {
            std::error_code ignored;
            if (fs::read_symlink(it->path(), ignored) == devicePath)
                return pid;
        }
    }
    return std::nullopt;
}

std::string modeText(mode_t mode) {
    std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : "-";
    constexpr std::array<mode_t, 9> bits{S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                                         S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    for (std::size_t i = 0; i < bits.size(); ++i)
        text += (mode & bits[i]) ? "rwx"[i % 3] : '-';
    return text;
}

void addPermissionFacts(PortFailure& failure) {
    const std::string& path = failure.devicePath.empty() ? failure.portName : failure.devicePath;
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0)
        return;
    std::vector<char> buffer(kUserRecordBytes);
    group record{};
    group* found = nullptr;
    if (::getgrgid_r(device.st_gid, &record, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
        return;
    PortFacts& facts = failure.facts;
    facts.group = found->gr_name;
    facts.mode = modeText(device.st_mode);
    std::vector<std::string> members;
    for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member)
        members.emplace_back(*member);

    std::vector<char> userBuffer(kUserRecordBytes);
    passwd user{};
    passwd* me = nullptr;
    if (::getpwuid_r(::geteuid(), &user, userBuffer.data(), userBuffer.size(), &me) == 0 && me != nullptr) {
        facts.userName = me->pw_name;
        facts.userListedInGroup =
            me->pw_gid == device.st_gid || std::find(members.begin(), members.end(), facts.userName) != members.end();
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    facts.sessionHasGroup =
        ::getegid() == device.st_gid || std::find(groups.begin(), groups.end(), device.st_gid) != groups.end();
}

// "1a86:7523" for the first USB device of this machine whose id brltty's rules claim. The
// rules name each id twice: "# Device: 1A86:7523" and ENV{PRODUCT}=="1a86/7523/*".
std::string brlttyClaim() {
    std::string rules;
    for (const char* path : kBrlttyRules)
        rules += fileText(path);
    if (rules.empty())
        return {};
    std::error_code error;
    for (fs::directory_iterator it("/sys/bus/usb/devices", error), end; !error && it != end; it.increment(error)) {
        const auto vendor = numberIn(firstLine(it->path() / "idVendor"), 16);
        const auto product = numberIn(firstLine(it->path() / "idProduct"), 16);
        if (!vendor || !product)
            continue;
        std::ostringstream rule;
        rule << std::hex << "ENV{PRODUCT}==\"" << *vendor << "/" << *product << "/";
        if (rules.find(rule.str()) != std::string::npos)
            return usbIdText(static_cast<unsigned>(*vendor), static_cast<unsigned>(*product));
    }
    return {};
}

} // namespace

std::string lockFilePathFor(const std::string& devicePath) {
    std::string name = devicePath.starts_with(kDevFolder) ? devicePath.substr(kDevFolder.size()) : devicePath;
    std::replace(name.begin(), name.end(), '/', '_');
    return std::string(kLockFolder) + "/LCK.." + name;
}

// QSerialPort's lock file holds the process number, the program's name and the host, one a
// line. A number that runs another program now is a stale lock too.
LockFileState readLockFile(const std::string& lockPath) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(lockPath, error)))
        return {};
    std::ifstream in(lockPath);
    std::string pidLine, program;
    if (!in || !std::getline(in, pidLine))
        return {LockFileState::Unreadable, {}};
    std::getline(in, program);
    const auto pid = numberIn(pidLine);
    if (!pid || *pid <= 0)
        return {LockFileState::Unreadable, {}};
    const bool runs = processRuns(*pid);
    const std::string running = runs ? programOf(*pid) : std::string();
    PortHolder holder{*pid, running.empty() ? program : running, lockPath};
    if (!runs || (!running.empty() && !program.empty() && !sameProgram(running, program)))
        return {LockFileState::Stale, std::move(holder)};
    return {LockFileState::Live, std::move(holder)};
}

std::optional<PortHolder> findPortHolder(const std::string& devicePath) {
    struct stat device {};
    if (::stat(devicePath.c_str(), &device) == 0) {
        if (const auto pid = flockOwner(device); pid && processRuns(*pid))
            return PortHolder{*pid, programOf(*pid), ""};
    }
    if (const LockFileState lock = readLockFile(lockFilePathFor(devicePath)); lock.kind == LockFileState::Live)
        return lock.holder;
    if (const auto pid = processWithOpen(devicePath))
        return PortHolder{*pid, programOf(*pid), ""};
    return std::nullopt;
}

void addSystemFacts(PortFailure& failure) {
    PortFacts& facts = failure.facts;
    const std::string& path = failure.devicePath.empty() ? failure.portName : failure.devicePath;
    facts.usbModemClass = fs::path(path).filename().string().starts_with("ttyACM");
    switch (failure.problem) {
    case PortProblem::PermissionDenied:
        addPermissionFacts(failure);
        return;
    case PortProblem::InUse:
        if (!facts.holder)
            facts.holder = findPortHolder(path);
        break;
    case PortProblem::NoSuchDevice:
    case PortProblem::NoDeviceBehind:
    case PortProblem::Lost:
    case PortProblem::Other:
        break;
    default:
        return;
    }
    facts.modemManagerRunning = facts.usbModemClass && programRuns("ModemManager");
    facts.brlttyClaim = brlttyClaim();
}

PortAccess portAccess(const std::string& devicePath) {
    if (::access(devicePath.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return {PortAccessKind::PermissionDenied, {}};
    if (auto holder = findPortHolder(devicePath))
        return {PortAccessKind::InUse, std::move(holder)};
    if (readLockFile(lockFilePathFor(devicePath)).kind == LockFileState::Unreadable)
        return {PortAccessKind::Locked, {}};
    return {};
}

} // namespace varnu
