#pragma once
// Checks that the files the options name stay apart: a log must not overwrite the rules
// file or take the place of the link, and the rules are not read from the link.

#include "tools/simulator/SimOptions.h"

#include <optional>
#include <string>

namespace varnu::sim {

// The reason the options are refused, or nothing.
std::optional<std::string> checkPaths(const SimOptions& options);

} // namespace varnu::sim
