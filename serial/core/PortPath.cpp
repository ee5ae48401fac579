#include "serial/core/PortPath.h"

#include <array>
#include <utility>

namespace varnu {

std::string devicePathFor(const std::string& portName, PortNaming naming) {
    static const std::array<std::pair<const char*, const char*>, 4> linuxAliases{{
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM3", "/dev/ttyS2"},
        {"COM4", "/dev/ttyS3"},
    }};
    if (naming != PortNaming::Linux)
        return portName;
    for (const auto& [name, path] : linuxAliases) {
        if (portName == name) {
            return path;
        }
    }
    return portName;
}

std::string systemPathFor(const std::string& portName, PortNaming naming) {
    std::string path = devicePathFor(portName, naming);
    if (naming != PortNaming::Windows && !path.empty() && path.find('/') == std::string::npos)
        path = "/dev/" + path;
    return path;
}

} // namespace varnu
