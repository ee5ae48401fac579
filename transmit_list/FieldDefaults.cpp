#include "transmit_list/FieldDefaults.h"

#include "transmit_list/DataRadixText.h"

#include <cstdio>

namespace varnu {

std::string formatEvenHex(std::uint32_t value) {
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(value));
    std::string text(digits, static_cast<std::size_t>(length));
    if (text.size() % 2 != 0)
        text.insert(text.begin(), '0');
    return text;
}

bool fillFieldDefaults(const Catalogue& catalogue, SelectionState& state) {
    const std::string decimalDefault = std::to_string(catalogue.dataDefault(state.classIndex, state.functionIndex));
    state.dataText = dataTextInRadix(decimalDefault, state.dataRadix);
    state.multiBytesText.clear();
    const TargetForm* form = findSelectedForm(catalogue, state).form;
    if (!form) {
        state.address1Text.clear();
        state.address2Text.clear();
        return false;
    }
    const auto pass = static_cast<std::size_t>(passFor(state.attribute));
    state.address2Text = formatEvenHex(form->fixedAddress[pass]);
    state.address1Text = formatEvenHex(form->fixedSlave[pass]);
    return true;
}

FieldFlags fieldFlagsForCodes(const std::vector<std::uint8_t>& codes) {
    FieldFlags flags;
    for (std::uint8_t code : codes) {
        switch (code) {
        case End:
            return flags;
        case Data:
        case DataOffset:
            flags.data = true;
            break;
        case Multi:
            flags.multi = true;
            break;
        case Slave:
        case SlaveOffset:
            flags.address1 = true;
            break;
        case Address:
        case AddressLow:
        case AddressHigh:
            flags.address2 = true;
            break;
        default:
            break;
        }
    }
    return flags;
}

std::optional<FieldFlags> fieldFlagsForTarget(const Catalogue& catalogue, const std::vector<std::string>& targets,
                                              int position, Attribute attribute) {
    if (position < 0 || static_cast<std::size_t>(position) >= targets.size())
        return std::nullopt;
    const TargetForm* form = catalogue.findForm(targets[static_cast<std::size_t>(position)]);
    if (!form)
        return std::nullopt;
    return fieldFlagsForCodes(form->codesFor(passFor(attribute)));
}

} // namespace varnu
