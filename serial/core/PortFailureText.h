#pragma once
// What a port failure means for the person at the keyboard: the sentences that go below the
// fixed message ("Not able to Connect.") in the window's message box and on varnu-cli's
// stderr alike, and how the port list says whether a port can be opened now.

#include "serial/core/PortFailure.h"
#include "serial/core/PortPath.h"

#include <optional>
#include <string>

namespace varnu {

// What failed and what to do, in plain sentences naming the port; the advice about port names
// follows the system's naming (/dev/serial/by-id/ names on Unix, COM ports on Windows).
std::string explainPortFailure(const PortFailure& failure, PortNaming naming = kThisSystemNaming);

// "0403": a USB vendor or product id as udev rules and lsusb write it.
std::string usbIdDigits(unsigned id);
// "0403:6001": a USB vendor and product id.
std::string usbIdText(unsigned vendorId, unsigned productId);

// Whether this user can open a port now, without opening it. Unknown where the system cannot
// tell without an open (Windows).
enum class PortAccessKind { Ok, PermissionDenied, InUse, Locked, Unknown };

struct PortAccess {
    PortAccessKind kind = PortAccessKind::Ok;
    std::optional<PortHolder> holder; // InUse
};

// "ok", "permission denied", "in use by 1234 minicom", "locked", "unknown".
std::string portAccessText(const PortAccess& access);

} // namespace varnu
