#include "catalogue/CodeList.h"

#include "catalogue/ParseHexText.h"
#include "catalogue/TextScan.h"

namespace varnu {

namespace {

constexpr std::string_view kTokenEnd = " ,;:|";
constexpr std::size_t npos = std::string_view::npos;

// The fixed value of "S(1F)": after the letter, "(" and blanks passed over, up to the first
// ")", trailing blanks dropped. No ")" (or nothing before it) stores nothing.
void readFixedValue(std::string_view afterLetter, std::uint32_t& slot) {
    const std::size_t start = afterLetter.find_first_not_of("( \t");
    if (start == npos)
        return;
    const std::size_t close = afterLetter.find(')', start);
    if (close == npos || close == start)
        return;
    std::string_view text = afterLetter.substr(start, close - start);
    text = text.substr(0, text.find_last_not_of(" \t") + 1);
    slot = parseHexText(text);
}

std::uint8_t readToken(std::string_view token, FormPass pass, TargetForm& form) {
    const auto slot = static_cast<std::size_t>(pass);
    const char letter = token.empty() ? '\0' : token[0];
    const std::string_view rest = token.empty() ? token : token.substr(1);
    const char next = rest.empty() ? '\0' : rest[0];
    // "S+2", "D-1": the digits after the sign, negated for "-" ("D+x" is an offset of 0).
    const bool hasOffset = next == '+' || next == '-';
    switch (letter) {
    case 'A':
    case 'H':
    case 'L':
        if (next == '(')
            readFixedValue(rest, form.fixedAddress[slot]);
        return letter == 'A' ? Address : letter == 'H' ? AddressHigh : AddressLow;
    case 'S':
        if (next == '(')
            readFixedValue(rest, form.fixedSlave[slot]);
        if (!hasOffset)
            return Slave;
        form.slaveOffset[slot] = readDecimal32(rest);
        return SlaveOffset;
    case 'D':
        if (!hasOffset)
            return Data;
        form.dataOffset[slot] = readDecimal32(rest);
        return DataOffset;
    case 'M':
        return Multi;
    default:
        return static_cast<std::uint8_t>(readDecimal32(token) & 0xFF);
    }
}

} // namespace

void parseCodeList(std::string_view value, TextEncoding encoding, FormPass pass, TargetForm& form) {
    auto& codes = form.codes[static_cast<std::size_t>(pass)];
    codes.clear();
    std::size_t pos = 0;
    while (true) {
        pos = skipBlanks(value, pos);
        if (pos == value.size())
            break;
        const std::size_t end = findSeparator(value, kTokenEnd, pos, encoding);
        codes.push_back(readToken(value.substr(pos, end == npos ? npos : end - pos), pass, form));
        if (end == npos)
            break;
        pos = end + 1;
    }
    codes.push_back(End);
}

} // namespace varnu
