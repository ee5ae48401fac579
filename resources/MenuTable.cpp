#include "resources/MenuTable.h"

#include "resources/ResourceIds.h"

namespace varnu {
namespace {

using namespace ids;

// Menu 129. "Open(&0)..." really has the digit zero as its mnemonic.
constexpr MenuItemSpec kFileItems[] = {
    {kOpen, "Open(&0)..."},         {kSave, "Save(&S)..."}, {kSeparator, ""},
    {kAbout, "About VARNU(&I)..."}, {kSeparator, ""},       {kClose, "Close(&C)"},
};
constexpr MenuItemSpec kEditItems[] = {{kAdd, "Add(&A)"}, {kDelete, "Delete(&D)"}};
constexpr MenuItemSpec kPortItems[] = {{kPortSettings, "Settings(&U)..."}, {kReconnect, "Reconnect"}};

constexpr MenuSpec kMenus[] = {
    {"File(&F)", kFileItems},
    {"Edit(&E)", kEditItems},
    {"Port(&P)", kPortItems},
};

} // namespace

std::span<const MenuSpec> mainMenuSpec() {
    return kMenus;
}

} // namespace varnu
