// The line's extras on Unix: termios on the port's descriptor.

#include "serial/LineControl.h"

#include <QSerialPort>

#include <termios.h>

#include <cerrno>
#include <system_error>

namespace varnu {

std::optional<FlowCharacters> flowCharactersOf(QSerialPort& port, std::string& whyNot) {
    termios tio{};
    if (::tcgetattr(port.handle(), &tio) != 0) {
        whyNot = std::generic_category().message(errno);
        return std::nullopt;
    }
    return FlowCharacters{tio.c_cc[VSTART], tio.c_cc[VSTOP]};
}

bool setFlowCharacters(QSerialPort& port, FlowCharacters characters) {
    termios tio{};
    if (::tcgetattr(port.handle(), &tio) != 0) {
        return false;
    }
    tio.c_cc[VSTART] = characters.xon;
    tio.c_cc[VSTOP] = characters.xoff;
    return ::tcsetattr(port.handle(), TCSANOW, &tio) == 0;
}

// Qt leaves CMSPAR set when mark or space parity is replaced by odd or even, which would make
// a real UART keep sending stick parity.
bool clearStickParity(QSerialPort& port) {
    termios tio{};
    if (::tcgetattr(port.handle(), &tio) != 0) {
        return false;
    }
    if ((tio.c_cflag & CMSPAR) == 0) {
        return true;
    }
    tio.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
    return ::tcsetattr(port.handle(), TCSANOW, &tio) == 0;
}

} // namespace varnu
