#include "cli/CliCommands.h"

#include <ostream>

namespace varnu::cli {

int runCatalogueCommand(Args, std::ostream&, std::ostream& err) {
    err << "varnu-cli catalogue: not built yet\n";
    return kExitFailure;
}

} // namespace varnu::cli
