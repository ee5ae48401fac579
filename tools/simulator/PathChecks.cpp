#include "tools/simulator/PathChecks.h"

#include <filesystem>

namespace varnu::sim {

namespace {

namespace fs = std::filesystem;

// The same file whichever way it is named (symbolic and hard links, "./", ".."), or the same
// path when one of them does not exist yet.
bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    const fs::path absoluteA = fs::absolute(a, error);
    const fs::path absoluteB = fs::absolute(b, error);
    return !error && absoluteA.lexically_normal() == absoluteB.lexically_normal();
}

} // namespace

std::optional<std::string> checkPaths(const SimOptions& options) {
    const std::optional<std::string> link =
        options.linkPath.empty() ? std::nullopt : std::optional<std::string>(options.linkPath);
    struct Clash {
        const char* option;
        const std::optional<std::string>& path;
        const char* otherName;
        const std::optional<std::string>& other;
    };
    const Clash clashes[] = {
        {"--log", options.logPath, "the rules file", options.rulesPath},
        {"--log", options.logPath, "the link", link},
        {"--rules", options.rulesPath, "the link", link},
    };
    for (const Clash& c : clashes) {
        if (c.path && c.other && sameFile(*c.path, *c.other))
            return std::string(c.option) + " names " + c.otherName + " (" + *c.path + ")";
    }
    return std::nullopt;
}

} // namespace varnu::sim
