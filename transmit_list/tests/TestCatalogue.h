#pragma once
// Catalogues built in code: (class, function) names the one target "T", whose Write and Read
// code lists are both `codes` (End added). The classes before it are empty.

#include "catalogue/Catalogue.h"
#include "transmit_list/SelectionState.h"

#include <vector>

namespace varnu::testing {

inline std::vector<std::uint8_t> withEnd(std::vector<std::uint8_t> codes) {
    codes.push_back(End);
    return codes;
}

inline Catalogue catalogueWith(int classIndex, int functionIndex, const std::vector<std::uint8_t>& codes) {
    Catalogue catalogue;
    catalogue.forms.push_back(TargetForm{.name = "T", .codes = {withEnd(codes), withEnd(codes)}});
    catalogue.groups.resize(static_cast<std::size_t>(classIndex) + 1);
    CommandFunction function;
    function.targets = {"T"};
    catalogue.groups.back().functions.resize(static_cast<std::size_t>(functionIndex) + 1, function);
    return catalogue;
}

inline SelectionState selection(Attribute attribute, int classIndex, int functionIndex) {
    return {
        .attribute = attribute, .classIndex = classIndex, .functionIndex = functionIndex, .dataRadix = DataRadix::Hex};
}

} // namespace varnu::testing
