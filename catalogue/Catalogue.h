#pragma once
// The in-memory command catalogue: classes, their functions, and one layout per target.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// How the catalogue file's bytes are to be decoded for display. Names stay the file's bytes.
enum class TextEncoding { Utf8, Cp932 };

// Codes of a target's code list; any other value is a literal byte.
enum FieldCode : std::uint8_t {
    Data = 20,
    Slave = 21,
    Address = 22,
    DataOffset = 23,
    SlaveOffset = 24,
    AddressLow = 25,
    AddressHigh = 26,
    Multi = 27,
    End = 255,
};

constexpr bool isFieldCode(std::uint8_t code) {
    return code >= Data && code <= Multi;
}

// The literal that opens a group: its count byte and the field items after it follow.
inline constexpr std::uint8_t kGroupCode = 5;
// The literal after which a Slave, Address or SlaveOffset item is a single byte.
inline constexpr std::uint8_t kOneByteAddressCode = 3;

// Set writes, Get and Reset read: every reader of a code list, fixed value or offset uses this pass.
enum class FormPass { Write = 0, Read = 1 };
enum class Attribute { Set = 0, Get = 1, Reset = 2 };

// The attribute byte of a frame: 01 Set, 02 Get, 03 Reset.
constexpr std::uint8_t attributeCode(Attribute attribute) {
    return static_cast<std::uint8_t>(static_cast<int>(attribute) + 1);
}
constexpr std::optional<Attribute> attributeOfCode(std::uint8_t code) {
    if (code < attributeCode(Attribute::Set) || code > attributeCode(Attribute::Reset))
        return std::nullopt;
    return static_cast<Attribute>(code - 1);
}

constexpr FormPass passFor(Attribute attribute) {
    return attribute == Attribute::Set ? FormPass::Write : FormPass::Read;
}

// String-table ids of the field prompts.
using PromptId = std::uint16_t;
inline constexpr PromptId kPromptValueToSet = 59145;
inline constexpr PromptId kPromptReadByte = 59146;
inline constexpr PromptId kPromptRgb = 59147;
inline constexpr PromptId kPromptSlaveAddress = 59148;
inline constexpr PromptId kPromptFirst = 59149;
inline constexpr PromptId kPromptStartingAddress = 59150;
inline constexpr PromptId kPromptOffset = 59151;
inline constexpr PromptId kPromptDataMatrix = 59152;

struct CommandFunction {
    std::string name;
    std::int32_t dataMin = 0;
    std::int32_t dataMax = 0;
    std::int32_t dataDefault = 0;
    std::vector<std::string> targets; // each names exactly one TargetForm
};

struct CommandGroup {
    std::string name;
    std::vector<CommandFunction> functions; // the index is the function number
};

struct TargetForm {
    std::string name;
    // Indexed by FormPass. Each list ends with End; nothing after the first End is ever read.
    std::array<std::vector<std::uint8_t>, 2> codes{};
    std::array<std::uint32_t, 2> fixedSlave{};
    std::array<std::uint32_t, 2> fixedAddress{};
    std::array<std::int32_t, 2> dataOffset{};
    std::array<std::int32_t, 2> slaveOffset{};
    PromptId dataPrompt = kPromptValueToSet;
    PromptId multiPrompt = kPromptDataMatrix;
    PromptId slavePrompt = kPromptSlaveAddress;
    PromptId addressPrompt = kPromptStartingAddress;

    const std::vector<std::uint8_t>& codesFor(FormPass pass) const { return codes[static_cast<int>(pass)]; }
};

struct Catalogue {
    std::vector<CommandGroup> groups; // the index is the class number
    std::vector<TargetForm> forms;    // one per distinct target name, in first-use order
    TextEncoding encoding = TextEncoding::Utf8;

    void clear();
    // The form named exactly `name` (letter case counting), or nullptr.
    const TargetForm* findForm(std::string_view name) const;
    // The function at (class, function), or nullptr when either index is out of range.
    const CommandFunction* function(int classIndex, int functionIndex) const;
    // The function's target names, or nullptr when the class or function is absent.
    const std::vector<std::string>* targets(int classIndex, int functionIndex) const;
    // The function's dataDefault, or 0 when it is absent.
    std::int32_t dataDefault(int classIndex, int functionIndex) const;
};

} // namespace varnu
