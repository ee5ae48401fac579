#pragma once
// What the left half of the main window holds: the chosen attribute, class, function and
// target, and the texts of the four parameter fields. The window mirrors its controls here.

#include "catalogue/Catalogue.h"

#include <string>

namespace varnu {

enum class DataRadix { Hex = 0, Dec = 1 };

struct SelectionState {
    Attribute attribute = Attribute::Set;
    int classIndex = 0;
    int functionIndex = 0;
    int targetIndex = 0; // -1: none chosen (a function with a single target)
    std::string address1Text{};
    std::string address2Text{};
    std::string dataText{};
    std::string multiBytesText{};
    DataRadix dataRadix = DataRadix::Dec;
};

// The target position every reader uses: targetIndex when above 0, else 0.
constexpr int targetPosition(const SelectionState& state) {
    return state.targetIndex > 0 ? state.targetIndex : 0;
}

// The layout of the chosen target, or the reason there is none.
struct FormLookup {
    const TargetForm* form = nullptr;
    std::string error;
};

FormLookup findSelectedForm(const Catalogue& catalogue, const SelectionState& state);

} // namespace varnu
