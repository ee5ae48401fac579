#pragma once
// A frame named by the catalogue: what its attribute, class and function bytes stand for,
// which targets' layouts its items fit and what each item holds, what the program itself
// knows of it (the link-control frames), and what is wrong with it. The wire trace, the list
// tool tips and varnu-cli decode all show the one line formatFrameDecode makes of it.
//
// How items are matched to a layout. The code list is the one for the frame's attribute
// (passFor: the Write list for Set, the Read list for Get and Reset), walked up to End as the
// composer walks it: a literal is one byte of that value; Data, DataOffset, AddressLow and
// AddressHigh are one byte; Slave, Address and SlaveOffset are three bytes, or one right
// after the literal 3; the literal 5 is followed by a count byte and the field items it
// counts, exactly; every Multi item is the same Multi bytes field, so all of them take the
// same number of bytes, the most that lets the layout fit. Fixed values and offsets accept
// any byte: they only say what the field started with. A frame fits a target when its items
// have the shape the target's layout composes; all targets that fit are named.
//
// A data frame from the projector carries the same header as a command. It is read the same
// way, by its own attribute byte (a code other than Set, Get or Reset reads as a Get, the
// answer to a read), and the bytes after the layout's items are the data it reports: the
// mouse/port frame 1B 07 01 00 08 01 EF is a Set with the Data item 01, and an answer that
// repeats a Get's items followed by the value read fits that Get's layout with the value as
// its reply. Its class and function are those of the command it answers.
//
// Names are the catalogue file's bytes (see Catalogue::encoding); only the front end decodes them.

#include "catalogue/Catalogue.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnu {

// Who wrote the frame: this program (a command, or a relayed frame) or the projector.
enum class FrameOrigin { Sent, Received };

enum class ItemRole {
    Literal,    // a literal byte of the layout
    GroupCount, // the count byte after the literal 5
    Field,      // a field item: `code` is its FieldCode
    Reply,      // a data frame's bytes after its layout's items
};

struct DecodedItem {
    ItemRole role = ItemRole::Literal;
    std::uint8_t code = 0;   // the FieldCode of a field, the value of a literal
    std::int32_t offset = 0; // of a DataOffset or SlaveOffset item, from the layout
    bool inGroup = false;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const DecodedItem&, const DecodedItem&) = default;
};

struct TargetFit {
    std::string target;
    std::vector<DecodedItem> items;
};

// What the program itself knows of a frame, whatever the catalogue holds.
enum class LinkFrame { None, PortSpeedCommand, SpeedQuery, MousePortDisable, MousePortEnable };

enum class FrameFault {
    NoEsc,            // empty, or the first byte is not ESC: nothing else is read
    TooShort,         // fewer bytes than ESC, LL, AA, CC, FF and KK: nothing else is read
    LengthByte,       // LL differs from the number of bytes
    Checksum,         // the bytes from LL on do not sum to 0 modulo 256
    UnknownAttribute, // a command whose AA is not 01, 02 or 03 (a data frame's is its own)
    UnknownClass,     // CC names no class of the catalogue
    UnknownFunction,  // FF names no function of the class
    NoFittingTarget,  // no layout of the function's targets fits the items
};

struct FrameDecode {
    FrameOrigin origin = FrameOrigin::Sent;
    std::vector<std::uint8_t> bytes; // the frame as given
    std::vector<FrameFault> faults;  // in the order above

    // The header, read when the frame is long enough (no NoEsc or TooShort fault).
    std::uint8_t attributeCode = 0;
    std::optional<Attribute> attribute; // nothing for a code other than 01, 02, 03
    std::uint8_t classNumber = 0;
    std::uint8_t functionNumber = 0;
    std::string className;    // empty when the catalogue lacks the class
    std::string functionName; // empty when the catalogue lacks the function
    bool signedData = false;  // the function's Data range starts below 0
    std::uint8_t expectedChecksum = 0;

    std::vector<TargetFit> fits; // in the function's target order
    LinkFrame link = LinkFrame::None;
    std::uint8_t speedCode = 0;            // of a port-speed command
    std::optional<std::uint32_t> baudRate; // of that speed code; nothing when it names none

    bool has(FrameFault fault) const;
    bool headerRead() const { return !has(FrameFault::NoEsc) && !has(FrameFault::TooShort); }
};

FrameDecode decodeFrame(std::span<const std::uint8_t> frame, const Catalogue& catalogue, FrameOrigin origin);

// One line, for instance
//   Set, class 00 Image, function 00 Level, target Unit: literal 03, Slave 1F (31), Address 000100 (256), Data 80
//   (-128)
// with " | target ..." for each further target that fits, then "; " and the link frame's
// meaning, then "; " and each fault, and after a fault "; bytes " and the frame's bytes.
std::string formatFrameDecode(const FrameDecode& decode);

// decodeFrame and formatFrameDecode in one.
std::string describeFrame(std::span<const std::uint8_t> frame, const Catalogue& catalogue, FrameOrigin origin);

} // namespace varnu
