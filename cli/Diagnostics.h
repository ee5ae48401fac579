#pragma once
// What varnu-cli says on stderr about its files: a failure as the fixed message with the
// explanation below it (the window shows the same two parts in its message box), and what
// opening a list file did with its lines.

#include "catalogue/Catalogue.h"
#include "transmit_list/ListFileReport.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace varnu::cli {

void printFailure(std::ostream& err, std::string_view headline, std::string_view explanation);

// Loads the catalogue; false, with its failure printed, when it cannot be used.
bool loadCatalogueOrSay(const std::string& path, Catalogue& catalogue, std::ostream& err);

// "varnu-cli list: FILE: 5 lines read: 3 entries taken, 1 line skipped, 1 empty line.", then
// the corrected and skipped lines, indented.
void printListReport(std::ostream& err, std::string_view command, std::string_view path, const ListFileReport& report);

} // namespace varnu::cli
