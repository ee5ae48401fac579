#pragma once
// Why a port did not open, or stopped working while open, as a value: the device records it
// with what the system knows about the port at that moment (the facts), and the front ends
// show explainPortFailure's sentences below their fixed message. A network port reports
// through the same value.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace varnu {

enum class PortProblem {
    NoSuchDevice,   // nothing by that name (a by-id name that changed, an adapter not plugged in)
    NoDeviceBehind, // the device file exists but no port answers behind it (no such UART, driver gone)
    PermissionDenied,
    InUse,          // another program holds the port
    NotSerial,      // a regular file, a folder, a device that is no serial port (/dev/null)
    SettingRefused, // the driver refused a line setting
    Lost,           // the device went away while the port was open (an adapter unplugged)
    NetworkRefused, // a network port: the connection was refused
    NetworkSilent,  // a network port: no answer in time
    Other,
};

// A process that holds a port, and how it was found.
struct PortHolder {
    long pid = 0;
    std::string program;  // as the system names the process ("varnu-cli", "minicom")
    std::string lockFile; // the lock file that names it; empty when the system's lists showed it
};

// One serial port of this machine as the system lists it.
struct SerialPortEntry {
    std::string path;         // "/dev/ttyUSB0" ("COM3" on Windows)
    std::string byId;         // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0", or empty
    std::string description;  // "FT232R USB UART"
    std::string manufacturer; // "FTDI"
    std::string serialNumber;
    std::optional<unsigned> vendorId; // USB ids, when it is a USB device
    std::optional<unsigned> productId;
};

// What the system knows about the port and the machine, gathered when the failure happened.
// Each front end of the system fills only what it can know: a field left at its default says
// nothing.
struct PortFacts {
    std::string kind;                 // NotSerial: "a regular file", "a folder", "a device of another kind"
    std::string group;                // PermissionDenied: the device's group ("dialout")
    std::string mode;                 // PermissionDenied: its permissions as ls shows them ("crw-rw----")
    std::string userName;             // PermissionDenied: who tried
    bool userListedInGroup = false;   // the group lists the user (it may not be in force in this session yet)
    bool sessionHasGroup = false;     // the group is in force in this session
    std::optional<PortHolder> holder; // InUse: who holds the port
    std::string staleLockFile;        // a lock file of a process that has ended, cleared before the open
    bool usbModemClass = false;       // a USB modem-class adapter (ttyACM), which ModemManager probes
    std::optional<unsigned> vendorId; // the device's USB ids, when known
    std::optional<unsigned> productId;
    bool modemManagerRunning = false;
    std::string brlttyClaim;            // a USB id of this machine that brltty's rules claim ("1a86:7523"), or empty
    std::vector<SerialPortEntry> ports; // NoSuchDevice, NoDeviceBehind, NotSerial: the ports that do exist
};

struct PortFailure {
    PortProblem problem = PortProblem::Other;
    std::string portName;   // as the user gave it ("COM1", a symbolic link, "tcp://host:4001")
    std::string devicePath; // what it resolved to ("/dev/ttyS0"); empty when the same or unknown
    std::string setting;    // SettingRefused: which one ("7 data bits")
    std::string systemText; // the system's words ("No such file or directory"), may be empty
    PortFacts facts;
};

// A failure of this kind on this port, with nothing else known yet.
inline PortFailure portFailure(PortProblem problem, std::string portName, std::string devicePath = {}) {
    PortFailure failure;
    failure.problem = problem;
    failure.portName = std::move(portName);
    failure.devicePath = std::move(devicePath);
    return failure;
}

} // namespace varnu
