#pragma once
// The texts the parameter fields get when class, function, target or attribute change, and
// which fields a target's code list asks for.

#include "catalogue/Catalogue.h"
#include "transmit_list/SelectionState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnu {

// "%X" of the value as unsigned 32-bit, padded on the left to an even number of digits:
// 0 gives "00", 0x100 gives "0100", -1 gives "FFFFFFFF".
std::string formatEvenHex(std::uint32_t value);

// Data gets the dataDefault in the radix in force (so that Add reads the value the catalogue
// means), Multi is emptied, and the two addresses get the fixed values of the chosen target's
// layout for the attribute's pass. Without a layout the addresses are emptied and false is returned.
bool fillFieldDefaults(const Catalogue& catalogue, SelectionState& state);

// Which parameter fields a code list uses, up to its End. Literal bytes set no flag.
struct FieldFlags {
    bool data = false;     // Data, DataOffset
    bool multi = false;    // Multi
    bool address1 = false; // Slave, SlaveOffset
    bool address2 = false; // Address, AddressLow, AddressHigh
    bool operator==(const FieldFlags&) const = default;
};

FieldFlags fieldFlagsForCodes(const std::vector<std::uint8_t>& codes);

// The flags of the target at `position` of the function's targets for the attribute's pass;
// nothing when the position is negative or the target has no layout (the fields stay as they are).
std::optional<FieldFlags> fieldFlagsForTarget(const Catalogue& catalogue, const std::vector<std::string>& targets,
                                              int position, Attribute attribute);

} // namespace varnu
