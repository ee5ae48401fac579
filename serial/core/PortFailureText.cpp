#include "serial/core/PortFailureText.h"

#include "serial/core/NetworkPort.h"

#include <cstdio>
#include <string_view>

namespace varnu {

namespace {

constexpr std::string_view kByIdFolder = "/dev/serial/by-id/";

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// "\"COM1\" (/dev/ttyS0)": the name as given, and the device it stands for when that differs.
std::string portNamed(const PortFailure& f) {
    std::string name = quoted(f.portName);
    if (!f.devicePath.empty() && f.devicePath != f.portName)
        name += " (" + f.devicePath + ")";
    return name;
}

// " (the system says \"Permission denied\")", or nothing.
std::string systemSays(const PortFailure& f) {
    return f.systemText.empty() ? std::string() : " (the system says " + quoted(f.systemText) + ")";
}

std::string portListText(const std::vector<SerialPortEntry>& ports) {
    if (ports.empty())
        return " The system lists no serial port on this machine.";
    std::string text = ports.size() == 1 ? " The serial port on this machine: " : " The serial ports on this machine: ";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const SerialPortEntry& port = ports[i];
        if (i > 0)
            text += "; ";
        text += port.path;
        std::string details = port.description;
        if (!port.byId.empty())
            details += (details.empty() ? "" : ", ") + port.byId;
        if (!details.empty())
            text += " (" + details + ")";
    }
    return text + ".";
}

std::string renumberingAdvice(const PortFailure& f, PortNaming naming) {
    if (naming == PortNaming::Windows)
        return " Check the name and that the adapter is plugged in: Device Manager lists the COM ports under Ports "
               "(COM & LPT).";
    if (f.portName.starts_with(kByIdFolder) || f.devicePath.starts_with(kByIdFolder))
        return " A /dev/serial/by-id/ name carries the adapter's make and serial number: another adapter, even of "
               "the same kind, has another name.";
    const std::string& path = f.devicePath.empty() ? f.portName : f.devicePath;
    if (path.find("/ttyUSB") != std::string::npos || path.find("/ttyACM") != std::string::npos)
        return " Check that the adapter is plugged in. A USB adapter's number (/dev/ttyUSB0, /dev/ttyUSB1) depends on "
               "the order in which adapters were plugged in; its /dev/serial/by-id/ name stays the same.";
    return " Check the name. A USB adapter shows up as /dev/ttyUSB0 or /dev/ttyACM0 once it is plugged in, and "
           "under a /dev/serial/by-id/ name that stays the same.";
}

std::string permissionText(const PortFailure& f) {
    const PortFacts& facts = f.facts;
    std::string text = "You may not open the port " + portNamed(f) + ": permission to read and write it is denied.";
    if (facts.group.empty())
        return text + " Ask the administrator for read and write access to it.";
    const std::string group = quoted(facts.group);
    const std::string permissions = facts.mode.empty() ? std::string() : " (" + facts.mode + ")";
    const std::string user = facts.userName.empty() ? std::string() : " (user " + quoted(facts.userName) + ")";
    const std::string you = "you" + user;
    if (facts.group == "root")
        return text + " It belongs to the administrator alone" + permissions +
               ". Ask the administrator to give it to the group \"dialout\" with a udev rule.";
    if (!facts.userListedInGroup)
        return text + " It belongs to the group " + group + permissions + ", and " + you +
               " are not in that group. Add yourself to it with: sudo usermod -aG " + facts.group +
               " $USER, then log out and log in again (a new group counts from the next login).";
    if (!facts.sessionHasGroup)
        return text + " It belongs to the group " + group + permissions + ". You" + user +
               " were added to that group after this session started: log out and log in again (or start a shell "
               "in the group with: newgrp " +
               facts.group + ").";
    return text + " It belongs to the group " + group + ", which " + you + " are in, but its permissions" +
           permissions +
           " give that group no read and write access. An administrator can set them with a udev rule "
           "(GROUP=\"dialout\", MODE=\"0660\").";
}

std::string inUseText(const PortFailure& f) {
    const PortFacts& facts = f.facts;
    std::string text = "The port " + portNamed(f) + " is in use by another program";
    if (facts.holder) {
        const PortHolder& holder = *facts.holder;
        text += ": " + (holder.program.empty() ? std::string("a process") : holder.program) + " (pid " +
                std::to_string(holder.pid) + ")";
        if (!holder.lockFile.empty())
            text += ", named by the lock file " + holder.lockFile;
        text += ".";
    } else {
        text += systemSays(f) + ", which the system does not name to you.";
    }
    text += " Close that program or wait until it is done, then try again.";
    if (!facts.staleLockFile.empty())
        text += " A stale lock file of a program that has ended (" + facts.staleLockFile + ") was cleared.";
    return text;
}

// ModemManager and brltty take a freshly plugged adapter for a while, or for good.
std::string portGrabbersText(const PortFacts& facts) {
    std::string text;
    if (facts.usbModemClass && facts.modemManagerRunning) {
        const bool known = facts.vendorId && facts.productId;
        const std::string vendor = known ? usbIdDigits(*facts.vendorId) : "VVVV";
        const std::string product = known ? usbIdDigits(*facts.productId) : "PPPP";
        text += " ModemManager is running: it probes USB modem-class adapters (ttyACM) for several seconds after "
                "they are plugged in and holds the port meanwhile, the usual reason why a port opens only at the "
                "second try. Keep it off this adapter with a line in /etc/udev/rules.d/99-varnu.rules: "
                "ATTRS{idVendor}==\"" +
                vendor + "\", ATTRS{idProduct}==\"" + product + "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"" +
                (known ? std::string() : std::string(" (varnu-cli ports shows its ids)")) +
                ", then: sudo udevadm control --reload. On a machine without a modem: sudo systemctl disable --now "
                "ModemManager.";
    }
    if (!facts.brlttyClaim.empty()) {
        text += " brltty (the Braille display service) claims USB devices with the id " + facts.brlttyClaim +
                ", which is plugged in here, and takes them from their serial driver moments after they are "
                "plugged in. Without a Braille display, remove it: sudo apt remove brltty. With one, disable its "
                "rule for this id in /usr/lib/udev/rules.d/85-brltty.rules.";
    }
    return text;
}

// What to give instead of something that is no serial port.
std::string portNameAdvice(PortNaming naming) {
    return naming == PortNaming::Windows
               ? " Give the name of a port instead (COM1, COM3)."
               : " Give the device of a port instead, preferably by its /dev/serial/by-id/ name.";
}

std::string problemText(const PortFailure& f, PortNaming naming) {
    switch (f.problem) {
    case PortProblem::NoSuchDevice:
        return "There is no port " + portNamed(f) + " on this machine" + systemSays(f) + "." +
               portListText(f.facts.ports) + renumberingAdvice(f, naming);
    case PortProblem::NoDeviceBehind:
        return "The device file of the port " + portNamed(f) + " exists, but no port answers behind it" +
               systemSays(f) + ": this machine has no such port, or its driver is not loaded." +
               portListText(f.facts.ports);
    case PortProblem::PermissionDenied:
        return permissionText(f);
    case PortProblem::InUse:
        return inUseText(f);
    case PortProblem::NotSerial:
        return portNamed(f) + " is " + (f.facts.kind.empty() ? std::string("something else") : f.facts.kind) +
               ", not a serial port." + portNameAdvice(naming) + portListText(f.facts.ports);
    case PortProblem::SettingRefused:
        return "The driver of the port " + portNamed(f) + " refused the line setting " +
               (f.setting.empty() ? std::string("asked for") : f.setting) + systemSays(f) +
               ": the port does not support it. Choose another value; the port stays closed until then.";
    case PortProblem::Lost:
        if (isNetworkPortName(f.portName))
            return "The connection to the network port " + portNamed(f) + " was lost" + systemSays(f) +
                   ": the device server closed it, was switched off, or the network between failed. Nothing goes "
                   "over it until it is opened again.";
        return "The port " + portNamed(f) + " went away while it was open" + systemSays(f) +
               ": the device is gone, as when a USB adapter is unplugged, loses power or its driver resets. Nothing "
               "goes over it until it is opened again.";
    case PortProblem::NetworkRefused:
        return "The network port " + portNamed(f) + " refused the connection" + systemSays(f) +
               ": nothing accepts connections at that address and port. Check the device server's address, its port "
               "number, and that it is switched on.";
    case PortProblem::NetworkSilent:
        return "The network port " + portNamed(f) + " did not answer" + systemSays(f) +
               ": the address may be wrong, the device server switched off, or a firewall may drop the connection.";
    case PortProblem::Other:
        break;
    }
    return "The port " + portNamed(f) + " could not be opened" + systemSays(f) + ".";
}

bool portMayBeGrabbed(PortProblem problem) {
    switch (problem) {
    case PortProblem::NoSuchDevice:
    case PortProblem::NoDeviceBehind:
    case PortProblem::InUse:
    case PortProblem::Lost:
    case PortProblem::Other:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string explainPortFailure(const PortFailure& failure, PortNaming naming) {
    std::string text = problemText(failure, naming);
    if (portMayBeGrabbed(failure.problem))
        text += portGrabbersText(failure.facts);
    return text;
}

std::string usbIdDigits(unsigned id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", id & 0xFFFFu);
    return text;
}

std::string usbIdText(unsigned vendorId, unsigned productId) {
    return usbIdDigits(vendorId) + ":" + usbIdDigits(productId);
}

std::string portAccessText(const PortAccess& access) {
    switch (access.kind) {
    case PortAccessKind::Ok:
        return "ok";
    case PortAccessKind::PermissionDenied:
        return "permission denied";
    case PortAccessKind::InUse:
        if (access.holder)
            return "in use by " + std::to_string(access.holder->pid) + " " + access.holder->program;
        return "in use";
    case PortAccessKind::Locked:
        return "locked";
    case PortAccessKind::Unknown:
        return "unknown";
    }
    return "locked";
}

} // namespace varnu
