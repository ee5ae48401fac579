#pragma once
// The files of send --receive-dir: each port's Receive List (and, with --trace, its wire trace)
// in the folder under a name made from the port's, and the checks that keep them apart: one
// device given twice, two ports whose names give the same file, a file that is the list or
// the catalogue.

#include "cli/SendOptions.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace varnu::cli {

inline constexpr std::string_view kReceiveListExtension = ".txt";
inline constexpr std::string_view kTraceExtension = ".log";

// A file name's stem for a port: the port's name without "/dev/" (or its first "/"), "://" as "_", and every
// character other than a letter, a digit, '.', '-' and '_' as '_' ("/dev/ttyUSB0" gives
// "ttyUSB0", "tcp://10.0.0.7:4001" "tcp_10.0.0.7_4001"); no leading dot, "_" before a name Windows keeps for a device
// ("COM1" gives "_COM1"), at most kMaxStemBytes.
std::string fileStemForPort(std::string_view portName);
inline constexpr std::size_t kMaxStemBytes = 120;

// What names the port's device for the same-device check: a device path resolved through its
// links (COM1 is /dev/ttyS0), or a network port's host and port number whatever the protocol.
std::string deviceIdentity(const std::string& portName);

// The same file under two names.
bool sameFile(const std::string& a, const std::string& b);

// Whether `path` is the device that the port name opens ("COM1" opens /dev/ttyS0 on Linux,
// "ttyUSB0" /dev/ttyUSB0); a network port is no file.
bool isThePortsDevice(const std::string& path, const std::string& portName);

struct PortFiles {
    std::string portName;
    std::filesystem::path receiveList;
    std::filesystem::path trace; // empty without --trace
};

// The files of every port of `options`, in the order of the ports, or why they cannot be used.
std::variant<std::vector<PortFiles>, SendUsageError> planReceiveFolder(const SendOptions& options);

} // namespace varnu::cli
