// The one-line text of a frame's decode.

#include "protocol/FrameDecode.h"

#include "protocol/FrameText.h"

#include <array>
#include <string_view>

namespace varnu {

namespace {

constexpr std::array<std::string_view, 3> kAttributeNames{"Set", "Get", "Reset"};

std::string byteText(std::uint8_t byte) {
    return FormatHex(std::span(&byte, 1));
}

std::string_view fieldName(std::uint8_t code) {
    switch (code) {
    case Data:
    case DataOffset:
        return "Data";
    case Slave:
    case SlaveOffset:
        return "Slave";
    case Address:
        return "Address";
    case AddressLow:
        return "Address low";
    case AddressHigh:
        return "Address high";
    default:
        return "Multi";
    }
}

// The value most significant byte first, in decimal.
std::string unsignedText(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return std::to_string(value);
}

// A Data byte reads as signed when the function's range starts below 0.
std::string dataByteText(std::uint8_t byte, bool signedData) {
    const int value = signedData ? static_cast<int>(static_cast<std::int8_t>(byte)) : byte;
    return byteText(byte) + " (" + std::to_string(value) + ")";
}

std::string fieldText(const DecodedItem& item, bool signedData) {
    std::string text(fieldName(item.code));
    if (item.code == DataOffset || item.code == SlaveOffset)
        text += (item.offset < 0 ? "" : "+") + std::to_string(item.offset);
    text += ' ';
    if (item.code == Multi)
        return text + (item.bytes.empty() ? "(no bytes)" : FormatHex(item.bytes));
    if ((item.code == Data || item.code == DataOffset) && item.bytes.size() == 1)
        return text + dataByteText(item.bytes[0], signedData);
    return text + FormatHex(item.bytes) + " (" + unsignedText(item.bytes) + ")";
}

std::string itemText(const DecodedItem& item, bool signedData) {
    switch (item.role) {
    case ItemRole::Literal:
        return "literal " + FormatHex(item.bytes);
    case ItemRole::GroupCount: {
        const std::size_t count = item.bytes.empty() ? 0 : item.bytes[0];
        return "group of " + std::to_string(count) + (count == 1 ? " byte [" : " bytes [");
    }
    case ItemRole::Reply:
        return "reply " + (item.bytes.size() == 1 ? dataByteText(item.bytes[0], signedData) : FormatHex(item.bytes));
    default:
        return fieldText(item, signedData);
    }
}

// "literal 03, Slave 1F (31), group of 1 byte [Data 05 (5)]": the literal 5 that opens a
// group shows as the group.
std::string itemsText(const std::vector<DecodedItem>& items, bool signedData) {
    std::string text;
    bool groupOpen = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const DecodedItem& item = items[i];
        const bool opensGroup =
            item.role == ItemRole::Literal && i + 1 < items.size() && items[i + 1].role == ItemRole::GroupCount;
        if (opensGroup)
            continue;
        if (groupOpen && !item.inGroup) {
            text += ']';
            groupOpen = false;
        }
        if (!text.empty() && !text.ends_with('['))
            text += ", ";
        text += itemText(item, signedData);
        groupOpen = groupOpen || item.role == ItemRole::GroupCount;
    }
    if (groupOpen)
        text += ']';
    return text;
}

std::string headText(const FrameDecode& decode) {
    std::string attribute = decode.attribute ? std::string(kAttributeNames[static_cast<std::size_t>(*decode.attribute)])
                                             : "attribute " + byteText(decode.attributeCode);
    std::string text;
    if (decode.origin == FrameOrigin::Received)
        text = "Data frame (" + attribute + ")";
    else if (decode.attribute)
        text = attribute;
    else
        text = "Attribute " + byteText(decode.attributeCode) + " (unknown)";

    text += ", class " + byteText(decode.classNumber);
    if (decode.has(FrameFault::UnknownClass))
        return text + " (not in the catalogue), function " + byteText(decode.functionNumber);
    text += ' ' + decode.className + ", function " + byteText(decode.functionNumber);
    if (decode.has(FrameFault::UnknownFunction))
        return text + " (not in the catalogue)";
    return text + ' ' + decode.functionName;
}

std::string linkText(const FrameDecode& decode) {
    switch (decode.link) {
    case LinkFrame::PortSpeedCommand:
        if (decode.baudRate)
            return "port-speed command: " + std::to_string(*decode.baudRate) + " baud";
        return "port-speed command: code " + byteText(decode.speedCode) + " names no speed";
    case LinkFrame::SpeedQuery:
        return "speed query";
    case LinkFrame::MousePortDisable:
        return "disable mouse/port command";
    case LinkFrame::MousePortEnable:
        return "enable mouse/port command";
    default:
        return {};
    }
}

// The faults that the head does not already name.
std::string faultText(const FrameDecode& decode, FrameFault fault) {
    switch (fault) {
    case FrameFault::LengthByte:
        return "length byte " + byteText(decode.bytes[kLengthPosition]) + ", but the frame has " +
               std::to_string(decode.bytes.size()) + " bytes";
    case FrameFault::Checksum:
        return "checksum " + byteText(decode.bytes.back()) + " is wrong (" + byteText(decode.expectedChecksum) +
               " expected)";
    case FrameFault::NoFittingTarget:
        return "no target's layout fits the items";
    default:
        return {};
    }
}

std::string notAFrameText(const FrameDecode& decode) {
    if (decode.bytes.empty())
        return "Not a frame (no bytes)";
    if (decode.has(FrameFault::NoEsc))
        return "Not a frame (no ESC first)";
    return "Too short for a frame (" + std::to_string(decode.bytes.size()) +
           (decode.bytes.size() == 1 ? " byte)" : " bytes)");
}

} // namespace

std::string formatFrameDecode(const FrameDecode& decode) {
    std::string text;
    if (!decode.headerRead()) {
        text = notAFrameText(decode);
    } else {
        text = headText(decode);
        for (std::size_t i = 0; i < decode.fits.size(); ++i) {
            const TargetFit& fit = decode.fits[i];
            text += (i == 0 ? ", target " : " | target ") + fit.target;
            if (!fit.items.empty())
                text += ": " + itemsText(fit.items, decode.signedData);
        }
        if (const std::string link = linkText(decode); !link.empty())
            text += "; " + link;
        for (const FrameFault fault : decode.faults) {
            if (const std::string described = faultText(decode, fault); !described.empty())
                text += "; " + described;
        }
    }
    if (!decode.faults.empty() && !decode.bytes.empty())
        text += "; bytes " + formatSpacedHex(decode.bytes);
    return text;
}

std::string describeFrame(std::span<const std::uint8_t> frame, const Catalogue& catalogue, FrameOrigin origin) {
    return formatFrameDecode(decodeFrame(frame, catalogue, origin));
}

} // namespace varnu
