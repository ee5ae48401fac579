#pragma once
// The main window's menu bar as data. A separator has the id kSeparator and no caption.

#include <span>
#include <string_view>

namespace varnu {

inline constexpr int kSeparator = 0;

struct MenuItemSpec {
    int id;
    std::string_view caption;
};

struct MenuSpec {
    std::string_view title;
    std::span<const MenuItemSpec> items;
};

std::span<const MenuSpec> mainMenuSpec();

} // namespace varnu
