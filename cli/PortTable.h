#pragma once
// The serial ports of this machine as varnu-cli ports prints them: an aligned table, or a
// JSON array of objects.

#include "serial/core/PortFailureText.h"

#include <string>
#include <vector>

namespace varnu::cli {

struct ListedPort {
    SerialPortEntry port;
    PortAccess access;
};

// One line per port under a heading line, the columns aligned; a sentence when there are none.
std::string portTableText(const std::vector<ListedPort>& ports);

// [{"path": ..., "byId": ..., "description": ..., "manufacturer": ..., "serialNumber": ...,
//   "vendorId": "0403", "productId": "6001", "access": "ok"}, ...]; byId and the ids are null
// where there are none.
std::string portJsonText(const std::vector<ListedPort>& ports);

} // namespace varnu::cli
