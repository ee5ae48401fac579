#include "catalogue/Catalogue.h"

#include <algorithm>

namespace varnu {

void Catalogue::clear() {
    groups.clear();
    forms.clear();
}

const TargetForm* Catalogue::findForm(std::string_view name) const {
    auto it = std::find_if(forms.begin(), forms.end(), [&](const TargetForm& form) { return form.name == name; });
    return it == forms.end() ? nullptr : &*it;
}

const CommandFunction* Catalogue::function(int classIndex, int functionIndex) const {
    if (classIndex < 0 || functionIndex < 0 || static_cast<std::size_t>(classIndex) >= groups.size())
        return nullptr;
    const auto& functions = groups[static_cast<std::size_t>(classIndex)].functions;
    if (static_cast<std::size_t>(functionIndex) >= functions.size())
        return nullptr;
    return &functions[static_cast<std::size_t>(functionIndex)];
}

const std::vector<std::string>* Catalogue::targets(int classIndex, int functionIndex) const {
    const CommandFunction* f = function(classIndex, functionIndex);
    return f ? &f->targets : nullptr;
}

std::int32_t Catalogue::dataDefault(int classIndex, int functionIndex) const {
    const CommandFunction* f = function(classIndex, functionIndex);
    return f ? f->dataDefault : 0;
}

} // namespace varnu
