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
    return std::filesystem::equivalent(a, b, ignored);
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
