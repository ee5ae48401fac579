#include "serial/PortPath.h"

#include <array>
#include <utility>

namespace varnu {

std::string devicePathFor(const std::string& portName) {
    static const std::array<std::pair<const char*, const char*>, 4> aliases{{
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM3", "/dev/ttyS2"},
        {"COM4", "/dev/ttyS3"},
    }};
    for (const auto& [name, path] : aliases) {
        if (portName == name) {
            return path;
        }
    }
    return portName;
}

std::string systemPathFor(const std::string& portName) {
    std::string path = devicePathFor(portName);
    if (!path.empty() && path.find('/') == std::string::npos)
        path = "/dev/" + path;
    return path;
}

} // namespace varnu
