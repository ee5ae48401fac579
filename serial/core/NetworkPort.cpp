#include "serial/core/NetworkPort.h"

#include "serial/core/LinkTimings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

namespace varnu {

namespace {

struct Scheme {
    std::string_view prefix;
    NetworkProtocol protocol;
};
constexpr std::array kSchemes{Scheme{"tcp://", NetworkProtocol::RawTcp},
                              Scheme{"rfc2217://", NetworkProtocol::Rfc2217}};

constexpr std::string_view kForm = " (the form is tcp://HOST:PORT or rfc2217://HOST:PORT)";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool allOf(std::string_view text, bool (*allowed)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), allowed);
}

// A host name or an IPv4 address: letters, digits, hyphens and dots.
bool hostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.';
}
// An IPv6 address, perhaps with an IPv4 tail, and perhaps a zone (an interface name) after '%'.
bool ipv6Char(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
}
bool zoneChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' || c == '.';
}
bool validIpv6(std::string_view host) {
    const std::size_t percent = host.find('%');
    const std::string_view address = host.substr(0, percent);
    return allOf(address, ipv6Char) && address.find(':') != std::string_view::npos &&
           (percent == std::string_view::npos || allOf(host.substr(percent + 1), zoneChar));
}

} // namespace

bool isNetworkPortName(std::string_view name) {
    return std::any_of(kSchemes.begin(), kSchemes.end(),
                       [name](const Scheme& s) { return startsWithNoCase(name, s.prefix); });
}

std::variant<NetworkAddress, PortNameError> parseNetworkPortName(std::string_view name) {
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(),
                                     [name](const Scheme& s) { return startsWithNoCase(name, s.prefix); });
    const auto refuse = [name](std::string_view why) {
        return PortNameError{std::string(name) + ": " + std::string(why) + std::string(kForm)};
    };
    if (scheme == kSchemes.end())
        return refuse("not a network port");
    NetworkAddress address;
    address.protocol = scheme->protocol;
    std::string_view rest = name.substr(scheme->prefix.size());

    std::string_view host;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos)
            return refuse("the IPv6 address has no closing bracket");
        host = rest.substr(1, close - 1);
        if (!validIpv6(host))
            return refuse("the IPv6 address in brackets is not valid");
        rest = rest.substr(close + 1);
        if (rest.empty() || rest.front() != ':')
            return refuse("the port number is missing");
        rest = rest.substr(1);
    } else {
        const std::size_t colon = rest.rfind(':');
        if (colon == std::string_view::npos)
            return refuse("the port number is missing");
        host = rest.substr(0, colon);
        rest = rest.substr(colon + 1);
        if (host.find(':') != std::string_view::npos)
            return refuse("an IPv6 address goes in brackets");
        if (host.empty())
            return refuse("the host is missing");
        if (!allOf(host, hostNameChar))
            return refuse("the host is not a host name or an address");
    }
    unsigned port = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), port);
    if (rest.empty() || error != std::errc{} || end != rest.data() + rest.size() || port == 0 || port > 65535)
        return refuse("the port number is not from 1 to 65535");
    address.host = std::string(host);
    address.port = static_cast<std::uint16_t>(port);
    return address;
}

std::string describeEndpoint(const NetworkAddress& address) {
    return address.host + " port " + std::to_string(address.port);
}

std::string describeFailure(const NetworkFailure& failure) {
    const std::string where = describeEndpoint(failure.address) + ": ";
    switch (failure.kind) {
    case NetworkFailureKind::BadName:
        return failure.detail;
    case NetworkFailureKind::HostUnknown:
        return where + "the host name is not known";
    case NetworkFailureKind::Refused:
        return where + "the connection was refused (nothing listens there)";
    case NetworkFailureKind::NoAnswer:
        return where + "no answer to the connection request within " + std::to_string(kConnectTimeoutMs.count()) +
               " ms";
    case NetworkFailureKind::Dropped:
        return where + "the connection was closed by the far end";
    case NetworkFailureKind::Stalled:
        return where + "the connection stalled: nothing could be sent for " + std::to_string(kWaitAttemptMs.count()) +
               " ms, so it was given up";
    case NetworkFailureKind::SettingRefused:
        return where + "the device server would not take " + failure.detail;
    case NetworkFailureKind::Other:
        break;
    }
    return where + failure.detail;
}

PortFailure portFailureOf(const NetworkFailure& failure, const std::string& portName, bool wasConnected) {
    const auto problem = [&] {
        if (wasConnected)
            return PortProblem::Lost;
        switch (failure.kind) {
        case NetworkFailureKind::Refused:
            return PortProblem::NetworkRefused;
        case NetworkFailureKind::NoAnswer:
            return PortProblem::NetworkSilent;
        case NetworkFailureKind::Dropped:
        case NetworkFailureKind::Stalled:
            return PortProblem::Lost;
        case NetworkFailureKind::SettingRefused:
            return PortProblem::SettingRefused;
        default:
            return PortProblem::Other;
        }
    }();
    PortFailure port = portFailure(problem, portName);
    if (problem == PortProblem::SettingRefused)
        port.setting = failure.detail;
    // The reason without the endpoint, which the port name already gives; a refusal says it all.
    if (problem != PortProblem::NetworkRefused) {
        const std::string text = describeFailure(failure);
        const std::string where = describeEndpoint(failure.address) + ": ";
        port.systemText = text.starts_with(where) ? text.substr(where.size()) : text;
    }
    return port;
}

} // namespace varnu
