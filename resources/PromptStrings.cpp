#include "resources/PromptStrings.h"

#include <iterator>

namespace varnu {
namespace {

struct PromptEntry {
    std::uint16_t id;
    std::string_view text;
};

// The texts are the projector firmware team's wording, spelling included.
constexpr PromptEntry kPrompts[] = {
    {59145, "Please enter value to be set."},
    {59146, "Please enter number of bytes to be read."},
    {59147, "Please enter RGB claciffication."},
    {59148, "Please enter slave address."},
    {59149, "Please enter top address."},
    {59150, "Please enter starting address."},
    {59151, "Please enter offset from top address."},
    {59152, "Prease enter data matrix in hexadecimal."},
};

} // namespace

std::string_view promptString(std::uint16_t id) {
    for (const PromptEntry& entry : kPrompts) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

} // namespace varnu
