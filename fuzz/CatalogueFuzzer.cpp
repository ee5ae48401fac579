// The catalogue loader on whole catalogue files: whatever the bytes, a load either fails and
// leaves the catalogue empty, or gives a model every reader can rely on.

#include "FuzzCheck.h"
#include "catalogue/CatalogueLoader.h"

#include <set>
#include <string>

namespace {

using namespace varnu;

void checkLoadedModel(const Catalogue& catalogue) {
    for (const CommandGroup& group : catalogue.groups) {
        FUZZ_CHECK(!group.name.empty());
        FUZZ_CHECK(group.name.size() <= ProfileFile::kMaxValueLength);
        for (const CommandFunction& function : group.functions) {
            FUZZ_CHECK(function.name.size() <= ProfileFile::kMaxValueLength);
            for (const std::string& target : function.targets) {
                const TargetForm* form = catalogue.findForm(target);
                FUZZ_CHECK(form != nullptr);
                FUZZ_CHECK(form->name == target);
            }
        }
    }
    std::set<std::string> names;
    for (const TargetForm& form : catalogue.forms) {
        FUZZ_CHECK(names.insert(form.name).second);
        for (FormPass pass : {FormPass::Write, FormPass::Read}) {
            const std::vector<std::uint8_t>& codes = form.codesFor(pass);
            FUZZ_CHECK(!codes.empty());
            FUZZ_CHECK(codes.back() == End);
            // One code per token of a value of at most 259 characters, plus End.
            FUZZ_CHECK(codes.size() <= ProfileFile::kMaxValueLength + 1);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> file{std::string(reinterpret_cast<const char*>(data), size)};
    Catalogue catalogue;
    // A catalogue left over from an earlier load must not survive the next one.
    catalogue.groups.push_back(CommandGroup{"Stale", {}});
    const CatalogueLoadResult result = loadCatalogue(file, catalogue);
    if (!result) {
        FUZZ_CHECK(result.message == kCatalogueLoadFailure);
        FUZZ_CHECK(catalogue.groups.empty() && catalogue.forms.empty());
        return 0;
    }
    FUZZ_CHECK(result.message.empty());
    checkLoadedModel(catalogue);
    return 0;
}
