// The sentences below "Not able to Connect.", one row per cause: the facts are given as a
// device would have gathered them, so that every cause is tested without root or hardware.

#include "serial/core/PortFailureText.h"

#include <gtest/gtest.h>

#include <regex>

namespace varnu {
namespace {

struct ExplainCase {
    const char* name;
    PortFailure failure;
    std::string expected;
};

void PrintTo(const ExplainCase& c, std::ostream* os) {
    *os << c.name;
}

PortFailure failureOf(PortProblem problem, std::string portName, std::string devicePath = "",
                      std::string systemText = "") {
    PortFailure failure = portFailure(problem, std::move(portName), std::move(devicePath));
    failure.systemText = std::move(systemText);
    return failure;
}

const SerialPortEntry kFtdi{"/dev/ttyUSB0",
                            "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0",
                            "FT232R USB UART",
                            "FTDI",
                            "A10K",
                            0x0403,
                            0x6001};
const SerialPortEntry kOnBoard{"/dev/ttyS0", "", "", "", "", {}, {}};

PortFailure missingWithPorts() {
    PortFailure f = failureOf(PortProblem::NoSuchDevice, "/dev/ttyUSB1", "", "No such file or directory");
    f.facts.ports = {kFtdi, kOnBoard};
    return f;
}

PortFailure missingByIdWithBrltty() {
    PortFailure f = failureOf(PortProblem::NoSuchDevice, "/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
    f.facts.brlttyClaim = "1a86:7523";
    return f;
}

PortFailure noUartBehind() {
    PortFailure f = failureOf(PortProblem::NoDeviceBehind, "COM4", "/dev/ttyS3", "Input/output error");
    f.facts.ports = {kOnBoard};
    return f;
}

PortFailure denied(bool listed, bool session, std::string group = "dialout", std::string mode = "crw-rw----") {
    PortFailure f = failureOf(PortProblem::PermissionDenied, "/dev/ttyUSB0", "", "Permission denied");
    f.facts.group = std::move(group);
    f.facts.mode = std::move(mode);
    f.facts.userName = "ana";
    f.facts.userListedInGroup = listed;
    f.facts.sessionHasGroup = session;
    // ModemManager is not what keeps a user out: the note does not belong here.
    f.facts.modemManagerRunning = true;
    f.facts.usbModemClass = true;
    return f;
}

PortFailure heldBy(std::optional<PortHolder> holder, std::string staleLock = "") {
    PortFailure f = failureOf(PortProblem::InUse, "/tmp/projector", "/dev/pts/4", "Device or resource busy");
    f.facts.holder = std::move(holder);
    f.facts.staleLockFile = std::move(staleLock);
    return f;
}

PortFailure heldAcmWithModemManager() {
    PortFailure f = failureOf(PortProblem::InUse, "/dev/ttyACM0");
    f.facts.holder = PortHolder{812, "ModemManager", ""};
    f.facts.usbModemClass = true;
    f.facts.vendorId = 0x2341;
    f.facts.productId = 0x43;
    f.facts.modemManagerRunning = true;
    return f;
}

PortFailure notSerial(std::string name, std::string path, std::string kind) {
    PortFailure f = failureOf(PortProblem::NotSerial, std::move(name), std::move(path));
    f.facts.kind = std::move(kind);
    return f;
}

PortFailure settingRefused() {
    PortFailure f = failureOf(PortProblem::SettingRefused, "/dev/pts/3");
    f.setting = "7 data bits";
    return f;
}

const std::string kByIdHint = " Check that the adapter is plugged in. A USB adapter's number (/dev/ttyUSB0, "
                              "/dev/ttyUSB1) depends on the order in which adapters were plugged in; its "
                              "/dev/serial/by-id/ name stays the same.";

class ExplainPortFailure : public ::testing::TestWithParam<ExplainCase> {};

// The advice of the table is Linux's; Windows' follows the table.
TEST_P(ExplainPortFailure, SaysWhatFailedAndWhatToDo) {
    const ExplainCase& c = GetParam();
    const std::string text = explainPortFailure(c.failure, PortNaming::Linux);
    EXPECT_EQ(text, c.expected);
    // Plain sentences: never a bare error number.
    EXPECT_FALSE(std::regex_search(text, std::regex("errno|error [0-9]|\\(-?[0-9]+\\)"))) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ExplainPortFailure,
    ::testing::Values(
        ExplainCase{"MissingListsThePortsThatExist", missingWithPorts(),
                    "There is no port \"/dev/ttyUSB1\" on this machine (the system says \"No such file or "
                    "directory\"). The serial ports on this machine: /dev/ttyUSB0 (FT232R USB UART, "
                    "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0); /dev/ttyS0." +
                        kByIdHint},
        ExplainCase{"MissingByIdNameWhileBrlttyClaimsAnAdapter", missingByIdWithBrltty(),
                    "There is no port \"/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0\" on this machine. The "
                    "system lists no serial port on this machine. A /dev/serial/by-id/ name carries the adapter's "
                    "make and serial number: another adapter, even of the same kind, has another name. brltty (the "
                    "Braille display service) claims USB devices with the id 1a86:7523, which is plugged in here, "
                    "and takes them from their serial driver moments after they are plugged in. Without a Braille "
                    "display, remove it: sudo apt remove brltty. With one, disable its rule for this id in "
                    "/usr/lib/udev/rules.d/85-brltty.rules."},
        ExplainCase{"DeviceFileWithoutAPortBehindIt", noUartBehind(),
                    "The device file of the port \"COM4\" (/dev/ttyS3) exists, but no port answers behind it (the "
                    "system says \"Input/output error\"): this machine has no such port, or its driver is not "
                    "loaded. The serial port on this machine: /dev/ttyS0."},
        ExplainCase{"PermissionOutsideTheGroup", denied(false, false),
                    "You may not open the port \"/dev/ttyUSB0\": permission to read and write it is denied. It "
                    "belongs to the group \"dialout\" (crw-rw----), and you (user \"ana\") are not in that group. "
                    "Add yourself to it with: sudo usermod -aG dialout $USER, then log out and log in again (a new "
                    "group counts from the next login)."},
        ExplainCase{"PermissionInTheGroupSinceAfterLogin", denied(true, false),
                    "You may not open the port \"/dev/ttyUSB0\": permission to read and write it is denied. It "
                    "belongs to the group \"dialout\" (crw-rw----). You (user \"ana\") were added to that group "
                    "after this session started: log out and log in again (or start a shell in the group with: "
                    "newgrp dialout)."},
        ExplainCase{"PermissionInTheGroupButItsModeShutsItOut", denied(true, true, "dialout", "crw-------"),
                    "You may not open the port \"/dev/ttyUSB0\": permission to read and write it is denied. It "
                    "belongs to the group \"dialout\", which you (user \"ana\") are in, but its permissions "
                    "(crw-------) give that group no read and write access. An administrator can set them with a "
                    "udev rule (GROUP=\"dialout\", MODE=\"0660\")."},
        ExplainCase{"PermissionOfTheAdministratorAlone", denied(false, false, "root", "crw-------"),
                    "You may not open the port \"/dev/ttyUSB0\": permission to read and write it is denied. It "
                    "belongs to the administrator alone (crw-------). Ask the administrator to give it to the "
                    "group \"dialout\" with a udev rule."},
        ExplainCase{"InUseNamesTheHolderFromItsLockFile", heldBy(PortHolder{4242, "varnu-cli", "/run/lock/LCK..pts_4"}),
                    "The port \"/tmp/projector\" (/dev/pts/4) is in use by another program: varnu-cli (pid 4242), "
                    "named by the lock file /run/lock/LCK..pts_4. Close that program or wait until it is done, then "
                    "try again."},
        ExplainCase{"InUseByAnUnnamedHolderAfterAStaleLockWasCleared", heldBy(std::nullopt, "/run/lock/LCK..pts_4"),
                    "The port \"/tmp/projector\" (/dev/pts/4) is in use by another program (the system says "
                    "\"Device or resource busy\"), which the system does not name to you. Close that program or "
                    "wait until it is done, then try again. A stale lock file of a program that has ended "
                    "(/run/lock/LCK..pts_4) was cleared."},
        ExplainCase{"ModemManagerProbingAModemClassAdapter", heldAcmWithModemManager(),
                    "The port \"/dev/ttyACM0\" is in use by another program: ModemManager (pid 812). Close that "
                    "program or wait until it is done, then try again. ModemManager is running: it probes USB "
                    "modem-class adapters (ttyACM) for several seconds after they are plugged in and holds the port "
                    "meanwhile, the usual reason why a port opens only at the second try. Keep it off this adapter "
                    "with a line in /etc/udev/rules.d/99-varnu.rules: ATTRS{idVendor}==\"2341\", "
                    "ATTRS{idProduct}==\"0043\", ENV{ID_MM_DEVICE_IGNORE}=\"1\", then: sudo udevadm control "
                    "--reload. On a machine without a modem: sudo systemctl disable --now ModemManager."},
        ExplainCase{"ARegularFile", notSerial("list.DAT", "/home/ana/list.DAT", "a regular file"),
                    "\"list.DAT\" (/home/ana/list.DAT) is a regular file, not a serial port. Give the device of a "
                    "port instead, preferably by its /dev/serial/by-id/ name. The system lists no serial port on "
                    "this machine."},
        ExplainCase{"ADeviceThatIsNoSerialPort", notSerial("/dev/null", "", "a device of another kind"),
                    "\"/dev/null\" is a device of another kind, not a serial port. Give the device of a port "
                    "instead, preferably by its /dev/serial/by-id/ name. The system lists no serial port on this "
                    "machine."},
        ExplainCase{"ALineSettingTheDriverRefused", settingRefused(),
                    "The driver of the port \"/dev/pts/3\" refused the line setting 7 data bits: the port does not "
                    "support it. Choose another value; the port stays closed until then."},
        ExplainCase{"LostWhileOpen", failureOf(PortProblem::Lost, "COM3", "/dev/ttyUSB0", "Input/output error"),
                    "The port \"COM3\" (/dev/ttyUSB0) went away while it was open (the system says \"Input/output "
                    "error\"): the device is gone, as when a USB adapter is unplugged, loses power or its driver "
                    "resets. Nothing goes over it until it is opened again."},
        ExplainCase{"ANetworkPortThatRefuses",
                    failureOf(PortProblem::NetworkRefused, "tcp://127.0.0.1:4001", "", "Connection refused"),
                    "The network port \"tcp://127.0.0.1:4001\" refused the connection (the system says "
                    "\"Connection refused\"): nothing accepts connections at that address and port. Check the "
                    "device server's address, its port number, and that it is switched on."},
        ExplainCase{"ANetworkPortThatDoesNotAnswer", failureOf(PortProblem::NetworkSilent, "rfc2217://10.0.0.9:2217"),
                    "The network port \"rfc2217://10.0.0.9:2217\" did not answer: the address may be wrong, the "
                    "device server switched off, or a firewall may drop the connection."},
        ExplainCase{"AnythingElseWithTheSystemsWords", failureOf(PortProblem::Other, "COM1", "/dev/ttyS0", "Odd"),
                    "The port \"COM1\" (/dev/ttyS0) could not be opened (the system says \"Odd\")."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExplainPortFailureOnWindows, AdvisesComPortsAndNoDeviceFiles) {
    PortFailure missing =
        failureOf(PortProblem::NoSuchDevice, "COM9", "", "The system cannot find the file specified.");
    missing.facts.ports = {SerialPortEntry{"COM3", "", "USB Serial Port", "FTDI", "A10K", 0x0403, 0x6001}};
    EXPECT_EQ(explainPortFailure(missing, PortNaming::Windows),
              "There is no port \"COM9\" on this machine (the system says \"The system cannot find the file "
              "specified.\"). The serial port on this machine: COM3 (USB Serial Port). Check the name and that the "
              "adapter is plugged in: Device Manager lists the COM ports under Ports (COM & LPT).");
    PortFailure notSerial = failureOf(PortProblem::NotSerial, "LPT1");
    notSerial.facts.kind = "a device of another kind";
    EXPECT_EQ(explainPortFailure(notSerial, PortNaming::Windows),
              "\"LPT1\" is a device of another kind, not a serial port. Give the name of a port instead (COM1, "
              "COM3). The system lists no serial port on this machine.");
}

TEST(PortAccessText, NamesTheHolderOrTheKindOfRefusal) {
    EXPECT_EQ(portAccessText({PortAccessKind::Ok, {}}), "ok");
    EXPECT_EQ(portAccessText({PortAccessKind::PermissionDenied, {}}), "permission denied");
    EXPECT_EQ(portAccessText({PortAccessKind::InUse, PortHolder{77, "minicom", ""}}), "in use by 77 minicom");
    EXPECT_EQ(portAccessText({PortAccessKind::Locked, {}}), "locked");
    EXPECT_EQ(portAccessText({PortAccessKind::Unknown, {}}), "unknown");
    EXPECT_EQ(usbIdText(0x403, 0x6001), "0403:6001");
}

} // namespace
} // namespace varnu
