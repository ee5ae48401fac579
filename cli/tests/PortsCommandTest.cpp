// varnu-cli ports: the table and the JSON of a given list of ports, and the command on this
// machine (whose ports are whatever it has).

#include "cli/PortTable.h"
#include "cli/tests/CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

namespace varnu::cli {
namespace {

using testing::run;

const std::vector<ListedPort> kPorts{
    {{"/dev/ttyS0", "", "", "", "", std::nullopt, std::nullopt}, {PortAccessKind::Ok, std::nullopt}},
    {{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0", "FT232R USB UART", "FTDI", "A10K",
      0x0403, 0x6001},
     {PortAccessKind::InUse, PortHolder{4242, "minicom", ""}}},
    {{"/dev/ttyACM0", "", "Arduino Uno", "Arduino", "", 0x2341, 0x0043}, {PortAccessKind::PermissionDenied, {}}},
};

TEST(PortTable, AlignsEveryColumnUnderItsHeading) {
    EXPECT_EQ(portTableText(kPorts),
              "PATH          BY-ID                                                       DESCRIPTION      "
              "MANUFACTURER  SERIAL  USB ID     ACCESS\n"
              "/dev/ttyS0    -                                                           -                "
              "-             -       -          ok\n"
              "/dev/ttyUSB0  /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0  FT232R USB UART  "
              "FTDI          A10K    0403:6001  in use by 4242 minicom\n"
              "/dev/ttyACM0  -                                                           Arduino Uno      "
              "Arduino       -       2341:0043  permission denied\n");
    EXPECT_EQ(portTableText({}), "No serial ports found on this machine.\n");
}

TEST(PortTable, JsonHasOneObjectPerPortWithTheSameKeys) {
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(portJsonText(kPorts)));
    ASSERT_TRUE(document.isArray());
    const QJsonArray ports = document.array();
    ASSERT_EQ(ports.size(), 3);
    const QStringList keys{"access", "byId",      "description",  "manufacturer",
                           "path",   "productId", "serialNumber", "vendorId"};
    for (const QJsonValue& port : ports)
        EXPECT_EQ(port.toObject().keys(), keys);
    const QJsonObject usb = ports[1].toObject();
    EXPECT_EQ(usb["byId"].toString(), "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K-if00-port0");
    EXPECT_EQ(usb["vendorId"].toString(), "0403");
    EXPECT_EQ(usb["productId"].toString(), "6001");
    EXPECT_EQ(usb["access"].toString(), "in use by 4242 minicom");
    // What a port does not have is null, not an empty name or a zero id.
    EXPECT_TRUE(ports[0].toObject()["byId"].isNull());
    EXPECT_TRUE(ports[0].toObject()["vendorId"].isNull());
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(portJsonText({}))).array().size(), 0);
}

// On this machine: exit 0 whatever it has, the table's heading or the sentence that there are
// none, and JSON that parses.
TEST(PortsCommand, ListsThisMachinesPortsAndRefusesArguments) {
    const auto table = run({"ports"});
    EXPECT_EQ(table.status, kExitOk) << table.err;
    EXPECT_TRUE(table.out.starts_with("PATH ") || table.out == "No serial ports found on this machine.\n") << table.out;
    const auto json = run({"ports", "--json"});
    EXPECT_EQ(json.status, kExitOk) << json.err;
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).isArray()) << json.out;
    EXPECT_EQ(run({"ports", "/dev/ttyS0"}).status, kExitUsage);
}

} // namespace
} // namespace varnu::cli
