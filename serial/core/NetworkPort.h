#pragma once
// Port names that reach a projector through a network device server, and why such a port
// failed. "tcp://HOST:PORT" carries the bytes as they are; "rfc2217://HOST:PORT" speaks Telnet
// with the COM-PORT-OPTION, which also carries the line settings. HOST is an IPv4 address, an
// IPv6 address in brackets or a host name. Any other port name is a serial device.

#include "serial/core/PortFailure.h"
#include <cstdint>
#include <optional>

#include <string>
#include <string_view>
#include <variant>

namespace varnu {

enum class NetworkProtocol { RawTcp, Rfc2217 };

struct NetworkAddress {
    NetworkProtocol protocol = NetworkProtocol::RawTcp;
    std::string host; // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    bool operator==(const NetworkAddress&) const = default;
};

// Why a name that asks for a network port cannot be used.
struct PortNameError {
    std::string message;

    bool operator==(const PortNameError&) const = default;
};

// Whether the name asks for a network port: it starts with "tcp://" or "rfc2217://" (in any case).
bool isNetworkPortName(std::string_view name);

// The address a network port name gives, or why it gives none. Only for names that
// isNetworkPortName accepts.
std::variant<NetworkAddress, PortNameError> parseNetworkPortName(std::string_view name);

// "HOST port N", the way messages name the far end.
std::string describeEndpoint(const NetworkAddress& address);

// Why a network port could not be opened, or stopped working while open.
enum class NetworkFailureKind {
    BadName,        // the port name is malformed
    HostUnknown,    // the host name does not resolve
    Refused,        // nothing listens at that port
    NoAnswer,       // the host did not answer the connection request in time
    Dropped,        // the far end closed the connection
    Stalled,        // nothing could be sent in time: the connection is given up
    SettingRefused, // the device server would not take a line setting, which `detail` names
    Other           // the system's own words are in `detail`
};

struct NetworkFailure {
    NetworkFailureKind kind = NetworkFailureKind::Other;
    NetworkAddress address;
    std::string detail; // BadName: the name's fault; SettingRefused: the setting; Other: the system's words

    bool operator==(const NetworkFailure&) const = default;
};

// One sentence that names the host, the port and the reason.
std::string describeFailure(const NetworkFailure& failure);

// The same failure as every port reports it (explainPortFailure gives its sentences). A
// connection that was up and then failed, for whatever reason, is a lost port.
PortFailure portFailureOf(const NetworkFailure& failure, const std::string& portName, bool wasConnected);

} // namespace varnu
