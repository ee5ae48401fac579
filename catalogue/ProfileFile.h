#pragma once
// An INI ("profile") file read the way the Windows profile functions read it, built once from
// the file's bytes and then looked up from memory. The caller reads the file; nothing here
// touches the disk.
//
// Rules (those of GetPrivateProfileStringA / GetPrivateProfileIntA):
// - Section and key names match without letter case (ASCII letters; bytes of double-byte
//   characters are compared as they are).
// - A line whose first non-blank character is ";" is a comment. A ";" inside a value is part
//   of the value.
// - "[name]" starts a section; "key=value" is an entry; blanks around names and values are
//   dropped; other lines (no "=", entries before the first section) are ignored.
// - A value wrapped in a matching pair of quotes ('"' or "'") loses the pair.
// - Values are cut to kMaxValueLength bytes, never in the middle of a character.
// - A section or key that appears twice is found at its first occurrence: the entries of a
//   repeated section header and a repeated key are unreachable, as with Windows.
// - A UTF-8 byte-order mark at the start is dropped.

#include "catalogue/Catalogue.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace varnu {

class ProfileFile {
public:
    // 259 characters and the terminator fill the 260-byte buffer the lookups deliver into.
    static constexpr std::size_t kMaxValueLength = 259;

    // Detects the encoding (valid UTF-8, else CP932) and indexes the sections and keys.
    explicit ProfileFile(std::string_view bytes);

    TextEncoding encoding() const { return encoding_; }

    // The value, or `defaultText` when the section or key is missing. An empty result is a
    // delivered length of 0.
    std::string getString(std::string_view section, std::string_view key, std::string_view defaultText) const;

    // The value read as a decimal integer (sign, then digits); 0 when missing or not a number.
    // Not cut to 32 bits, so that callers can refuse counts out of range.
    std::int64_t getInt(std::string_view section, std::string_view key) const;

    // Where a section header or an entry stands, for messages: its line number counted from
    // 1, or 0 when the section or key is missing.
    int sectionLine(std::string_view section) const;
    int keyLine(std::string_view section, std::string_view key) const;

private:
    struct Entry {
        std::string value{};
        int line = 0;
    };
    using KeyIndex = std::unordered_map<std::string, Entry>; // folded key -> its entry
    struct Section {
        int line = 0;
        KeyIndex keys{};
    };

    void parseLine(std::string_view line, int lineNumber, KeyIndex*& current);
    const Entry* find(std::string_view section, std::string_view key) const;

    TextEncoding encoding_;
    std::unordered_map<std::string, Section> sections_; // folded section name -> its header and keys
};

} // namespace varnu
