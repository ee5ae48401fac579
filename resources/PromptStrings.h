#pragma once
// The string table of the field prompts, by the ids the catalogue stores.

#include <cstdint>
#include <string_view>

namespace varnu {

// The prompt text of `id`, or an empty view for an id outside the table.
std::string_view promptString(std::uint16_t id);

} // namespace varnu
