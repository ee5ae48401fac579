// Network port names: what each gives, and the sentence a refused one gets.

#include "serial/core/NetworkPort.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

TEST(NetworkPortName, GivesTheAddressOrSaysWhatIsWrong) {
    using P = NetworkProtocol;
    struct Case {
        const char* name;
        bool network;
        std::variant<NetworkAddress, PortNameError> parsed;
    };
    const auto error = [](const char* name, const char* why) {
        return PortNameError{std::string(name) + ": " + why + " (the form is tcp://HOST:PORT or rfc2217://HOST:PORT)"};
    };
    const std::vector<Case> cases{
        {"tcp://127.0.0.1:4001", true, NetworkAddress{P::RawTcp, "127.0.0.1", 4001}},
        {"RFC2217://projector-3.lan:2217", true, NetworkAddress{P::Rfc2217, "projector-3.lan", 2217}},
        {"rfc2217://[::1]:65535", true, NetworkAddress{P::Rfc2217, "::1", 65535}},
        {"tcp://[fe80::1%eth0]:1", true, NetworkAddress{P::RawTcp, "fe80::1%eth0", 1}},
        {"tcp://127.0.0.1", true, error("tcp://127.0.0.1", "the port number is missing")},
        {"tcp://:4001", true, error("tcp://:4001", "the host is missing")},
        {"tcp://host:0", true, error("tcp://host:0", "the port number is not from 1 to 65535")},
        {"tcp://host:65536", true, error("tcp://host:65536", "the port number is not from 1 to 65535")},
        {"tcp://host:40x", true, error("tcp://host:40x", "the port number is not from 1 to 65535")},
        {"tcp://::1:4001", true, error("tcp://::1:4001", "an IPv6 address goes in brackets")},
        {"rfc2217://[::1:4001", true, error("rfc2217://[::1:4001", "the IPv6 address has no closing bracket")},
        {"rfc2217://[::1]4001", true, error("rfc2217://[::1]4001", "the port number is missing")},
        {"tcp://ho st:1", true, error("tcp://ho st:1", "the host is not a host name or an address")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isNetworkPortName(c.name), c.network) << c.name;
        EXPECT_EQ(parseNetworkPortName(c.name), c.parsed) << c.name;
    }
    for (const char* serial : {"COM1", "/dev/ttyUSB0", "tcp:/host:1", "./tcp://x:1"})
        EXPECT_FALSE(isNetworkPortName(serial)) << serial;
}

TEST(NetworkFailure, NamesHostPortAndReason) {
    const NetworkAddress address{NetworkProtocol::Rfc2217, "::1", 2217};
    EXPECT_EQ(describeFailure({NetworkFailureKind::Refused, address, ""}),
              "::1 port 2217: the connection was refused (nothing listens there)");
    EXPECT_EQ(describeFailure({NetworkFailureKind::NoAnswer, address, ""}),
              "::1 port 2217: no answer to the connection request within 3000 ms");
    EXPECT_EQ(describeFailure({NetworkFailureKind::Other, address, "Network unreachable"}),
              "::1 port 2217: Network unreachable");
}

// While connecting each reason is its own problem; once the connection was up, any failure
// loses the port, so that the front ends say so. The endpoint is left out of the system's
// words: the port name gives it.
TEST(NetworkFailure, AsAPortFailure) {
    using K = NetworkFailureKind;
    using P = PortProblem;
    const NetworkAddress address{NetworkProtocol::RawTcp, "10.0.0.7", 4001};
    const struct {
        K kind;
        const char* detail;
        bool wasConnected;
        P problem;
        const char* systemText;
        const char* setting;
    } cases[] = {
        {K::Refused, "", false, P::NetworkRefused, "", ""},
        {K::NoAnswer, "", false, P::NetworkSilent, "no answer to the connection request within 3000 ms", ""},
        {K::HostUnknown, "", false, P::Other, "the host name is not known", ""},
        {K::Other, "Network unreachable", false, P::Other, "Network unreachable", ""},
        {K::Dropped, "", false, P::Lost, "the connection was closed by the far end", ""},
        {K::Dropped, "", true, P::Lost, "the connection was closed by the far end", ""},
        {K::Stalled, "", true, P::Lost, "the connection stalled: nothing could be sent for 1000 ms, so it was given up",
         ""},
        {K::Other, "Network unreachable", true, P::Lost, "Network unreachable", ""},
        {K::SettingRefused, "parity even", false, P::SettingRefused, "the device server would not take parity even",
         "parity even"},
    };
    for (const auto& c : cases) {
        const PortFailure port = portFailureOf({c.kind, address, c.detail}, "tcp://10.0.0.7:4001", c.wasConnected);
        const std::string row = std::to_string(static_cast<int>(c.kind)) + (c.wasConnected ? " connected" : "");
        EXPECT_EQ(port.problem, c.problem) << row;
        EXPECT_EQ(port.systemText, c.systemText) << row;
        EXPECT_EQ(port.setting, c.setting) << row;
        EXPECT_EQ(port.portName, "tcp://10.0.0.7:4001");
    }
}

} // namespace
} // namespace varnu
