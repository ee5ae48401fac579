// Port names to the paths opened, by each system's naming; the build's own naming is the
// one its programs use.

#include "serial/core/PortPath.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(PortPath, EachSystemOpensItsOwnNames) {
    using N = PortNaming;
    const struct {
        N naming;
        const char* name;
        const char* device;
        const char* system;
    } cases[] = {
        {N::Linux, "COM1", "/dev/ttyS0", "/dev/ttyS0"},
        {N::Linux, "COM4", "/dev/ttyS3", "/dev/ttyS3"},
        {N::Linux, "com1", "com1", "/dev/com1"}, // lower case is not an alias
        {N::Linux, "COM5", "COM5", "/dev/COM5"}, // only the four the dialog offers
        {N::Linux, "ttyUSB0", "ttyUSB0", "/dev/ttyUSB0"},
        {N::Linux, "/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {N::Linux, "", "", ""},
        {N::OtherUnix, "COM1", "COM1", "/dev/COM1"},
        {N::OtherUnix, "cu.usbserial-A10K", "cu.usbserial-A10K", "/dev/cu.usbserial-A10K"},
        {N::Windows, "COM1", "COM1", "COM1"},
        {N::Windows, "COM10", "COM10", "COM10"},
        {N::Windows, "\\\\.\\COM3", "\\\\.\\COM3", "\\\\.\\COM3"},
        {N::Windows, "/dev/ttyS0", "/dev/ttyS0", "/dev/ttyS0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(devicePathFor(c.name, c.naming), c.device) << c.name;
        EXPECT_EQ(systemPathFor(c.name, c.naming), c.system) << c.name;
    }
}

TEST(PortPath, TheBuildUsesTheNamingOfItsSystem) {
#if defined(_WIN32)
    EXPECT_EQ(kThisSystemNaming, PortNaming::Windows);
    EXPECT_EQ(systemPathFor("COM1"), "COM1");
#elif defined(__linux__)
    EXPECT_EQ(kThisSystemNaming, PortNaming::Linux);
    EXPECT_EQ(systemPathFor("COM1"), "/dev/ttyS0");
#else
    EXPECT_EQ(kThisSystemNaming, PortNaming::OtherUnix);
    EXPECT_EQ(systemPathFor("COM1"), "/dev/COM1");
#endif
}

} // namespace
} // namespace varnu
