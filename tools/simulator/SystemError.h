#pragma once
// The text of a failed system call, for the simulator's error messages.

#include <cerrno>
#include <cstring>
#include <string>

namespace varnu::sim {

// "WHAT: REASON", the reason from errno as the call left it.
inline std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace varnu::sim
