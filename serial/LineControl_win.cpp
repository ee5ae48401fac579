// The line's extras on Windows, on the QSerialPort API alone. Qt's Windows side keeps the
// driver's XON and XOFF characters in the device-control block and offers no way to read or
// change them. Windows serial drivers start with DC1 and DC3, the characters the link asks
// for, and with software flow control off (as Qt and the link set it) they never act on the
// line. Parity is one field of that block, written whole: no stick parity is left behind.

#include "serial/LineControl.h"

#include "serial/core/LinkTimings.h"

namespace varnu {

namespace {
constexpr FlowCharacters kDriverCharacters{kXonChar, kXoffChar};
} // namespace

std::optional<FlowCharacters> flowCharactersOf(QSerialPort& /*port*/, std::string& /*whyNot*/) {
    return kDriverCharacters;
}

// Other characters cannot be set here: refused, so that the failure names them.
bool setFlowCharacters(QSerialPort& /*port*/, FlowCharacters characters) {
    return characters == kDriverCharacters;
}

bool clearStickParity(QSerialPort& /*port*/) {
    return true;
}

} // namespace varnu
