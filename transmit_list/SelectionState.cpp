#include "transmit_list/SelectionState.h"

namespace varnu {

FormLookup findSelectedForm(const Catalogue& catalogue, const SelectionState& state) {
    const CommandFunction* function = catalogue.function(state.classIndex, state.functionIndex);
    if (!function)
        return {nullptr, "No function is chosen: class " + std::to_string(state.classIndex) + ", function " +
                             std::to_string(state.functionIndex) + " is not in the catalogue."};
    const auto position = static_cast<std::size_t>(targetPosition(state));
    if (position >= function->targets.size())
        return {nullptr, "Function '" + function->name + "' has no target " + std::to_string(position) + "."};
    const std::string& target = function->targets[position];
    const TargetForm* form = catalogue.findForm(target);
    if (!form)
        return {nullptr, "Target '" + target + "' has no layout in the catalogue."};
    return {form, {}};
}

} // namespace varnu
