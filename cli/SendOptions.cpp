#include "cli/SendOptions.h"

#include "serial/core/NetworkPort.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <vector>

namespace varnu::cli {

namespace {

// The fastest standard rate a serial port offers on Linux; anything above is a typo.
constexpr std::uint32_t kMaxBaudRate = 4000000;

struct ValueOption {
    const char* name;
    const char* valueName;
};

// Every option of send takes a value but --trace. --port may come more than once; for the
// others the last value given counts.
constexpr std::array kOptions{ValueOption{"port", "DEV"},           ValueOption{"baud", "N"},
                              ValueOption{"parity", "PARITY"},      ValueOption{"data-bits", "N"},
                              ValueOption{"stop-bits", "STOPBITS"}, ValueOption{"log", "FILE"},
                              ValueOption{"catalogue", "FILE"},     ValueOption{"receive-dir", "DIR"}};
constexpr const char* kTraceFlag = "trace";

// Digits only (no sign, no spaces), within [lowest, highest].
std::optional<std::uint32_t> numberIn(std::string_view text, std::uint32_t lowest, std::uint32_t highest) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

// Applies one option and its value; an error message when the value does not fit.
std::optional<std::string> applyOption(SendOptions& options, std::string_view name, const std::string& value) {
    if (name == "port") {
        if (value.empty())
            return "the port is a device path, tcp://HOST:PORT or rfc2217://HOST:PORT";
        if (isNetworkPortName(value)) {
            const auto parsed = parseNetworkPortName(value);
            if (const auto* error = std::get_if<PortNameError>(&parsed))
                return error->message;
        }
        options.portNames.push_back(value);
    } else if (name == "baud") {
        const auto baud = numberIn(value, 1, kMaxBaudRate);
        if (!baud)
            return "the baud rate is a number from 1 to " + std::to_string(kMaxBaudRate);
        options.port.baudRate = *baud;
    } else if (name == "parity") {
        const auto parity = codeNamed(kParityNames, value);
        if (!parity)
            return "the parity is one of none, odd, even, mark";
        options.port.parity = *parity;
    } else if (name == "data-bits") {
        const auto bits = numberIn(value, kFewestDataBits, kMostDataBits);
        if (!bits)
            return "the data bits are 5, 6, 7 or 8";
        options.port.dataBits = static_cast<std::uint8_t>(*bits);
    } else if (name == "stop-bits") {
        const auto stopBits = codeNamed(kStopBitsNames, value);
        if (!stopBits)
            return "the stop bits are 1, 1.5 or 2";
        options.port.stopBits = *stopBits;
    } else if (name == "log") {
        if (value.empty())
            return "the log is a file path";
        options.logPath = value;
    } else if (name == "catalogue") {
        if (value.empty())
            return "the catalogue is a file path";
        options.cataloguePath = value;
    } else if (name == "receive-dir") {
        if (value.empty())
            return "the receive folder is a folder path";
        options.receiveDir = value;
    }
    return std::nullopt;
}

} // namespace

void addSendOptions(CommandLine& line) {
    for (const ValueOption& option : kOptions)
        line.addValueOption(QString::fromLatin1(option.name), QString::fromLatin1(option.valueName));
    line.addFlag(QString::fromLatin1(kTraceFlag));
}

std::variant<SendOptions, SendUsageError> sendOptionsFrom(const CommandLine& line) {
    SendOptions options;
    for (const ValueOption& option : kOptions) {
        const QString name = QString::fromLatin1(option.name);
        if (!line.isSet(name))
            continue;
        const bool repeatable = option.name == std::string_view("port");
        for (const std::string& value : repeatable ? line.values(name) : std::vector{line.value(name)}) {
            if (auto error = applyOption(options, option.name, value))
                return SendUsageError{std::move(*error)};
        }
    }
    options.traceEach = line.isSet(QString::fromLatin1(kTraceFlag));
    options.port.portName = options.portNames.empty() ? std::string() : options.portNames.front();
    const bool folder = !options.receiveDir.empty();
    const std::vector<std::string> lists = line.positional();
    if (lists.size() > 1)
        return SendUsageError{"one list file only"};
    if (options.portNames.empty())
        return SendUsageError{"--port is needed"};
    if (lists.empty())
        return SendUsageError{"a list file is needed"};
    if (options.portNames.size() > kMostPorts)
        return SendUsageError{"at most " + std::to_string(kMostPorts) + " ports at once"};
    if (options.portNames.size() > 1 && !folder)
        return SendUsageError{"several ports need --receive-dir DIR, where each port's Receive List gets a file "
                              "of its own"};
    if (folder && !options.logPath.empty())
        return SendUsageError{"--log names one file: with --receive-dir, --trace writes each port's wire trace "
                              "beside its Receive List"};
    if (options.traceEach && !folder)
        return SendUsageError{"--trace writes each port's wire trace into the --receive-dir folder, which is "
                              "missing"};
    if (!options.cataloguePath.empty() && folder && !options.traceEach)
        return SendUsageError{"--catalogue decodes the frames of the --trace traces, which are not asked for"};
    if (!options.cataloguePath.empty() && options.logPath.empty() && !folder)
        return SendUsageError{"--catalogue decodes the frames of the --log trace, which is missing"};
    options.listPath = lists.front();
    return options;
}

std::variant<SendOptions, SendUsageError> parseSendOptions(Args args) {
    CommandLine line;
    addSendOptions(line);
    if (std::optional<std::string> refused = line.parse(args))
        return SendUsageError{std::move(*refused)};
    return sendOptionsFrom(line);
}

} // namespace varnu::cli
