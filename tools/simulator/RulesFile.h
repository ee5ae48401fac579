#pragma once
// The rules file named by --rules, read through the tool's one file reader (a regular file of
// at most 1 MiB; a leading UTF-8 byte-order mark is not part of the first rule) and parsed.

#include "tools/simulator/Rules.h"

#include <optional>
#include <string>
#include <vector>

namespace varnu::sim {

struct LoadedRules {
    std::vector<Rule> rules;
    // Why the file cannot be used, for stderr: the file and what failed, or "FILE:LINE: error".
    std::optional<std::string> error;
};

LoadedRules loadRulesFile(const std::string& path);

} // namespace varnu::sim
