#pragma once
// Catalogues built in code for the tests: one class after another, each function with its
// own target whose layout is given.

#include "catalogue/Catalogue.h"
#include "transmit_list/SelectionState.h"

#include <string>
#include <vector>

namespace varnu::testing {

inline std::vector<std::uint8_t> withEnd(std::vector<std::uint8_t> codes) {
    codes.push_back(End);
    return codes;
}

// A catalogue in which (class, function) names one target "T" whose code lists for both
// passes are `codes` (End added). The classes before it are empty.
inline Catalogue catalogueWith(int classIndex, int functionIndex, std::vector<std::uint8_t> codes) {
    Catalogue catalogue;
    TargetForm form;
    form.name = "T";
    form.codes = {withEnd(codes), withEnd(codes)};
    catalogue.forms.push_back(form);
    catalogue.groups.resize(static_cast<std::size_t>(classIndex) + 1);
    auto& functions = catalogue.groups.back().functions;
    functions.resize(static_cast<std::size_t>(functionIndex) + 1);
    for (auto& function : functions)
        function.targets = {"T"};
    return catalogue;
}

inline SelectionState selection(Attribute attribute, int classIndex, int functionIndex) {
    SelectionState state;
    state.attribute = attribute;
    state.classIndex = classIndex;
    state.functionIndex = functionIndex;
    state.dataRadix = DataRadix::Hex;
    return state;
}

} // namespace varnu::testing
