#include "cli/Diagnostics.h"

#include "catalogue/CatalogueLoader.h"

#include <ostream>

namespace varnu::cli {

void printFailure(std::ostream& err, std::string_view headline, std::string_view explanation) {
    err << headline << "\n";
    if (!explanation.empty())
        err << explanation << "\n";
}

bool loadCatalogueOrSay(const std::string& path, Catalogue& catalogue, std::ostream& err) {
    const CatalogueLoadResult loaded = loadCatalogueFile(path, catalogue);
    if (!loaded)
        printFailure(err, loaded.message, loaded.explanation);
    return static_cast<bool>(loaded);
}

void printListReport(std::ostream& err, std::string_view command, std::string_view path, const ListFileReport& report) {
    const std::vector<std::string> sentences = describeListFileReport(report);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        if (i == 0)
            err << "varnu-cli " << command << ": " << path << ": ";
        else
            err << "  ";
        err << sentences[i] << "\n";
    }
}

} // namespace varnu::cli
