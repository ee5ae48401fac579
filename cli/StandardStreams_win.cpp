// Windows has no SIGPIPE (a write to a pipe without a reader fails by itself); its C runtime
// opens standard output in text mode, which is switched off.

#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace varnu::cli {

void prepareStandardStreams() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

} // namespace varnu::cli
