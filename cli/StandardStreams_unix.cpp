#include "cli/StandardStreams.h"

#include <csignal>

namespace varnu::cli {

void prepareStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace varnu::cli
