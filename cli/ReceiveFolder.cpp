#include "cli/ReceiveFolder.h"

#include "serial/core/NetworkPort.h"
#include "serial/core/PortPath.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

namespace varnu::cli {

namespace {

constexpr std::string_view kDevFolder = "/dev/";
constexpr std::string_view kSchemeEnd = "://";

bool safeFileNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
}

// Windows opens a device for these names whatever their extension and folder: "COM1.txt" is the
// serial port itself.
bool isWindowsDeviceName(std::string_view stem) {
    std::string base(stem.substr(0, stem.find('.')));
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' && base[3] <= '9';
}

} // namespace

std::string fileStemForPort(std::string_view portName) {
    if (portName.starts_with(kDevFolder))
        portName.remove_prefix(kDevFolder.size());
    else if (portName.starts_with('/'))
        portName.remove_prefix(1);
    std::string stem(portName);
    if (const std::size_t scheme = stem.find(kSchemeEnd); scheme != std::string::npos)
        stem.replace(scheme, kSchemeEnd.size(), "_");
    std::replace_if(
        stem.begin(), stem.end(), [](char c) { return !safeFileNameChar(c); }, '_');
    if (stem.starts_with('.'))
        stem.front() = '_'; // neither hidden nor "." or ".."
    if (isWindowsDeviceName(stem))
        stem.insert(0, "_");
    stem.resize(std::min(stem.size(), kMaxStemBytes));
    return stem;
}

std::string deviceIdentity(const std::string& portName) {
    if (isNetworkPortName(portName)) {
        const auto parsed = parseNetworkPortName(portName);
        if (const auto* address = std::get_if<NetworkAddress>(&parsed)) {
            std::string host = address->host;
            std::transform(host.begin(), host.end(), host.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return "network " + host + " port " + std::to_string(address->port);
        }
        return portName;
    }
    std::error_code ignored;
    const std::filesystem::path path = systemPathFor(portName);
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ignored);
    return (resolved.empty() ? path.lexically_normal() : resolved).string();
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ignored;
    if (std::filesystem::equivalent(a, b, ignored))
        return true;
    // equivalent() refuses to compare two devices, so a device is known by its resolved path.
    std::error_code missingA, missingB;
    const std::filesystem::path resolvedA = std::filesystem::canonical(a, missingA);
    const std::filesystem::path resolvedB = std::filesystem::canonical(b, missingB);
    return !missingA && !missingB && resolvedA == resolvedB;
}

bool isThePortsDevice(const std::string& path, const std::string& portName) {
    return !isNetworkPortName(portName) && sameFile(path, systemPathFor(portName));
}

std::variant<std::vector<PortFiles>, SendUsageError> planReceiveFolder(const SendOptions& options) {
    const std::filesystem::path folder(options.receiveDir);
    std::vector<PortFiles> files;
    std::map<std::string, const std::string*> devices; // identity -> the port that gave it
    std::map<std::string, const std::string*> stems;
    for (const std::string& port : options.portNames) {
        const std::string device = deviceIdentity(port);
        if (const auto [first, fresh] = devices.try_emplace(device, &port); !fresh)
            return SendUsageError{"the ports " + *first->second + " and " + port + " are the same device (" + device +
                                  "): give it once"};
        const std::string stem = fileStemForPort(port);
        if (const auto [first, fresh] = stems.try_emplace(stem, &port); !fresh)
            return SendUsageError{"the ports " + *first->second + " and " + port + " would both write " +
                                  (folder / stem).string() + kReceiveListExtension.data()};
        PortFiles planned{port, folder / (stem + std::string(kReceiveListExtension)), {}};
        if (options.traceEach)
            planned.trace = folder / (stem + std::string(kTraceExtension));
        for (const std::filesystem::path& written : {planned.receiveList, planned.trace}) {
            for (const auto& [other, what] :
                 {std::pair{&options.listPath, "list file"}, {&options.cataloguePath, "catalogue file"}}) {
                if (!written.empty() && !other->empty() && sameFile(written.string(), *other))
                    return SendUsageError{written.string() + ", where the run of " + port + " writes, is the " + what};
            }
        }
        files.push_back(std::move(planned));
    }
    return files;
}

} // namespace varnu::cli
