#pragma once
// What the link sets on a port beyond QSerialPort's own settings, where the system keeps it:
// the XON and XOFF characters, and the stick-parity flag that Qt's Unix side leaves behind.
// The platform files (LineControl_unix.cpp, LineControl_win.cpp) do the work; the port must
// be open.

#include <cstdint>
#include <optional>
#include <string>

class QSerialPort;

namespace varnu {

struct FlowCharacters {
    std::uint8_t xon = 0;
    std::uint8_t xoff = 0;

    bool operator==(const FlowCharacters&) const = default;
};

// The port's XON and XOFF characters; nothing when the system will not tell, and `whyNot`
// then has its words.
std::optional<FlowCharacters> flowCharactersOf(QSerialPort& port, std::string& whyNot);

bool setFlowCharacters(QSerialPort& port, FlowCharacters characters);

// Makes sure that the line does not keep mark or space parity once another parity was set.
bool clearStickParity(QSerialPort& port);

} // namespace varnu
