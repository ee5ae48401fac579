#include "transmit_list/EntryComposer.h"

#include "catalogue/ParseHexText.h"
#include "catalogue/TextScan.h"
#include "transmit_list/EntryText.h"

#include <cctype>
#include <cstdio>
#include <optional>

namespace varnu {

namespace {

// Hex digits in the fields are only trusted once checked: a blank inside the text would split
// the frame text into tokens that build other bytes than the item counted.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string hexText(std::uint64_t value, int width) {
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%0*llX", width, static_cast<unsigned long long>(value));
    return std::string(digits, static_cast<std::size_t>(length));
}

std::string byteText(std::uint64_t value) {
    return hexText(value & 0xFF, 2);
}

bool isLiteralByte(std::uint8_t code) {
    return code <= kGroupCode || code == 15;
}

// Digits past what a three-byte address can hold saturate, so that an over-long text is
// refused rather than wrapped into range.
std::int64_t exactHexValue(std::string_view digits) {
    constexpr std::int64_t kSaturated = std::int64_t{1} << 40;
    std::int64_t value = 0;
    for (char c : digits) {
        value = value * 16 + parseHexText(std::string_view(&c, 1));
        if (value >= kSaturated)
            return kSaturated;
    }
    return value;
}

// Renders the items of one code list. Field texts are checked only when an item uses them,
// so a field the layout does not ask for may hold anything.
class ItemFormatter {
public:
    ItemFormatter(const SelectionState& state, const TargetForm& form, FormPass pass)
        : state_(state), form_(form), codes_(form.codesFor(pass)), pass_(static_cast<std::size_t>(pass)) {}

    std::uint8_t codeAt(std::size_t p) const { return p < codes_.size() ? codes_[p] : std::uint8_t{End}; }

    // FormatItem: appends the item's text and one space, adds its bytes to `sum`, and gives
    // the number of bytes it puts into the frame; nothing (and `error`) when refused.
    std::optional<int> formatItem(std::size_t p, std::string& itemText, std::uint32_t& sum) {
        const std::uint8_t code = codeAt(p);
        switch (code) {
        case Data:
        case DataOffset: {
            const auto data = dataValue();
            if (!data)
                return std::nullopt;
            const std::int64_t offset = code == DataOffset ? form_.dataOffset[pass_] : 0;
            return putBytes(static_cast<std::uint64_t>(*data + offset), 1, itemText, sum);
        }
        case Slave:
        case Address:
        case SlaveOffset:
            return addressItem(p, itemText, sum);
        case AddressLow:
        case AddressHigh: {
            const auto address = hexField("Address 2", state_.address2Text);
            if (!address)
                return std::nullopt;
            return putBytes(code == AddressLow ? *address : *address >> 8, 1, itemText, sum);
        }
        case Multi:
            return multiItem(itemText, sum);
        default:
            if (!isLiteralByte(code))
                return refuse("The layout of target '" + form_.name + "' holds the code " + std::to_string(code) +
                              ", which is neither a field code nor one of the literal bytes 0 to 5 and 15.");
            return putBytes(code, 1, itemText, sum);
        }
    }

    std::string error;

private:
    std::nullopt_t refuse(std::string message) {
        error = std::move(message);
        return std::nullopt;
    }

    // Appends `count` bytes of `value`, most significant first, as one item.
    static int putBytes(std::uint64_t value, int count, std::string& itemText, std::uint32_t& sum) {
        for (int shift = 8 * (count - 1); shift >= 0; shift -= 8)
            sum += static_cast<std::uint32_t>((value >> shift) & 0xFF);
        itemText += hexText(value & ((std::uint64_t{1} << (8 * count)) - 1), 2 * count);
        itemText += ' ';
        return count;
    }

    // The field's hex digits with blanks dropped; refused on any other character.
    std::optional<std::string> hexDigits(std::string_view field, std::string_view text) {
        std::string digits;
        for (char c : text) {
            if (isBlank(c))
                continue;
            if (!std::isxdigit(static_cast<unsigned char>(c))) {
                refuse(std::string(field) + " holds '" + c + "', which is not a hexadecimal digit.");
                return std::nullopt;
            }
            digits += c;
        }
        return digits;
    }

    // A hex field's value wrapped at 32 bits, which keeps its low bytes exact.
    std::optional<std::uint32_t> hexField(std::string_view field, std::string_view text) {
        const auto digits = hexDigits(field, text);
        if (!digits)
            return std::nullopt;
        return parseHexText(*digits);
    }

    // One byte, signed or not: a value outside it is refused rather than cut to its low byte.
    std::optional<std::int64_t> dataValue() {
        if (state_.dataRadix == DataRadix::Dec) {
            const std::int64_t value = readExactDecimalData(state_.dataText);
            if (value < kMinDataValue || value > kMaxDataValue)
                return refuse("Data must lie between " + std::to_string(kMinDataValue) + " and " +
                              std::to_string(kMaxDataValue) + " in decimal; '" + state_.dataText +
                              "' does not fit one byte.");
            return value;
        }
        const auto digits = hexDigits("Data", state_.dataText);
        if (!digits)
            return std::nullopt;
        const std::int64_t value = exactHexValue(*digits);
        if (value > kMaxDataValue)
            return refuse("Data must lie between 00 and FF in hexadecimal; '" + state_.dataText +
                          "' does not fit one byte.");
        return value;
    }

    // Slave, Address and SlaveOffset: three bytes, or one byte (its low 8 bits) right after
    // the literal 3. A three-byte value must fit, so that the text never shows more digits
    // than the length byte counts.
    std::optional<int> addressItem(std::size_t p, std::string& itemText, std::uint32_t& sum) {
        const std::uint8_t code = codeAt(p);
        const bool first = code != Address;
        const std::string_view field = first ? "Address 1" : "Address 2";
        const auto digits = hexDigits(field, first ? state_.address1Text : state_.address2Text);
        if (!digits)
            return std::nullopt;
        const std::int64_t offset = code == SlaveOffset ? form_.slaveOffset[pass_] : 0;
        if (p > 0 && codeAt(p - 1) == kOneByteAddressCode)
            return putBytes(static_cast<std::uint64_t>(parseHexText(*digits) + offset), 1, itemText, sum);
        const std::int64_t value = exactHexValue(*digits) + offset;
        if (value < 0 || value > kMaxAddressValue) {
            std::string what = std::string(field);
            if (offset != 0)
                what += " plus the offset " + std::to_string(offset);
            return refuse(what + " must lie between 000000 and FFFFFF (three bytes).");
        }
        return putBytes(static_cast<std::uint64_t>(value), 3, itemText, sum);
    }

    // The Multi bytes text as it stands (blanks dropped), with a "0" added when its length is
    // odd; each pair of digits is one byte.
    std::optional<int> multiItem(std::string& itemText, std::uint32_t& sum) {
        auto digits = hexDigits("Multi bytes data", state_.multiBytesText);
        if (!digits)
            return std::nullopt;
        if (digits->size() % 2 != 0)
            *digits += '0';
        for (std::size_t i = 0; i < digits->size(); i += 2)
            sum += parseHexText(std::string_view(*digits).substr(i, 2));
        itemText += *digits;
        itemText += ' ';
        return static_cast<int>(digits->size() / 2);
    }

    const SelectionState& state_;
    const TargetForm& form_;
    const std::vector<std::uint8_t>& codes_;
    std::size_t pass_;
};

ComposeResult refused(std::string message) {
    return {{}, std::move(message)};
}

} // namespace

std::int64_t readExactDecimalData(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    return readDecimal(text.substr(i));
}

std::int32_t readDecimalData(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

ComposeResult composeFrameText(const Catalogue& catalogue, const SelectionState& state) {
    const FormLookup lookup = findSelectedForm(catalogue, state);
    if (!lookup.form)
        return refused(lookup.error);
    if (state.classIndex > kMaxCommandNumber || state.functionIndex > kMaxCommandNumber)
        return refused("Class and function numbers above 255 do not fit their byte.");

    std::string body = byteText(attributeCode(state.attribute)) + ' ' + byteText(state.classIndex) + ' ' +
                       byteText(state.functionIndex) + ' ';

    ItemFormatter formatter(state, *lookup.form, passFor(state.attribute));
    std::uint32_t sum = 0;
    int count = 0;
    for (std::size_t p = 0; formatter.codeAt(p) != End; ++p) {
        const auto bytes = formatter.formatItem(p, body, sum);
        if (!bytes)
            return refused(formatter.error);
        count += *bytes;
        if (formatter.codeAt(p) != kGroupCode)
            continue;
        // A group: its field items follow, counted by one byte that is part of the checksum.
        int groupBytes = 0;
        std::string groupText;
        while (isFieldCode(formatter.codeAt(p + 1))) {
            ++p;
            const auto itemBytes = formatter.formatItem(p, groupText, sum);
            if (!itemBytes)
                return refused(formatter.error);
            groupBytes += *itemBytes;
        }
        if (groupBytes > kMaxGroupBytes)
            return refused("The group would hold " + std::to_string(groupBytes) + " bytes; a group holds at most " +
                           std::to_string(kMaxGroupBytes) + ".");
        body += byteText(static_cast<std::uint64_t>(groupBytes)) + ' ' + groupText;
        sum += static_cast<std::uint32_t>(groupBytes);
        count += groupBytes + 1;
    }

    const int length = count + kFrameOverheadBytes;
    if (length > kMaxFrameBytes)
        return refused("The frame would be " + std::to_string(length) + " bytes long; a frame holds at most " +
                       std::to_string(kMaxFrameBytes) + ".");
    const std::uint32_t total = sum + static_cast<std::uint32_t>(length + attributeCode(state.attribute) +
                                                                 state.classIndex + state.functionIndex);
    const std::string lengthText = byteText(static_cast<std::uint64_t>(length));
    return {"ESC " + lengthText + ' ' + body + byteText(0u - total), {}};
}

ComposeResult composeEntry(const Catalogue& catalogue, const SelectionState& state, int entryNumber) {
    ComposeResult result = composeFrameText(catalogue, state);
    if (result.ok())
        result.text.insert(0, entryNumberPrefix(entryNumber));
    return result;
}

} // namespace varnu
