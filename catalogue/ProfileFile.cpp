#include "catalogue/ProfileFile.h"

#include "catalogue/TextScan.h"
#include "files/ReadWholeFile.h"

namespace varnu {

namespace {

// Blanks around names and values; 0x1A is the old end-of-file mark some editors leave.
constexpr std::string_view kProfileBlanks = " \t\r\n\v\f\x1A";

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kProfileBlanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kProfileBlanks);
    return text.substr(first, last - first + 1);
}

std::string_view stripMatchingQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

ProfileFile::ProfileFile(std::string_view bytes) : encoding_(detectTextEncoding(bytes)) {
    if (bytes.starts_with(kUtf8ByteOrderMark))
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    KeyIndex* current = nullptr;
    std::size_t start = 0;
    for (int lineNumber = 1; start < bytes.size(); ++lineNumber) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        parseLine(bytes.substr(start, end - start), lineNumber, current);
        start = end + 1;
    }
}

void ProfileFile::parseLine(std::string_view rawLine, int lineNumber, KeyIndex*& current) {
    const std::string_view line = trimBlanks(rawLine);
    if (line.empty() || line.front() == ';')
        return;
    if (line.front() == '[') {
        const std::size_t close = findSeparator(line, "]", 1, encoding_);
        if (close != std::string_view::npos) {
            const auto [it, inserted] =
                sections_.try_emplace(foldCase(trimBlanks(line.substr(1, close - 1)), encoding_), Section{lineNumber});
            current = inserted ? &it->second.keys : nullptr; // a repeated section is unreachable
            return;
        }
    }
    const std::size_t equals = findSeparator(line, "=", 0, encoding_);
    if (current == nullptr || equals == std::string_view::npos)
        return;
    const std::string_view value = stripMatchingQuotes(trimBlanks(line.substr(equals + 1)));
    current->try_emplace(foldCase(trimBlanks(line.substr(0, equals)), encoding_),
                         Entry{std::string(cutToLength(value, kMaxValueLength, encoding_)), lineNumber});
}

const ProfileFile::Entry* ProfileFile::find(std::string_view section, std::string_view key) const {
    const auto sectionIt = sections_.find(foldCase(section, encoding_));
    if (sectionIt == sections_.end())
        return nullptr;
    const KeyIndex& keys = sectionIt->second.keys;
    const auto keyIt = keys.find(foldCase(key, encoding_));
    return keyIt == keys.end() ? nullptr : &keyIt->second;
}

std::string ProfileFile::getString(std::string_view section, std::string_view key, std::string_view defaultText) const {
    const Entry* entry = find(section, key);
    return entry ? entry->value : std::string(cutToLength(defaultText, kMaxValueLength, encoding_));
}

std::int64_t ProfileFile::getInt(std::string_view section, std::string_view key) const {
    const Entry* entry = find(section, key);
    return entry ? readDecimal(entry->value) : 0;
}

int ProfileFile::sectionLine(std::string_view section) const {
    const auto it = sections_.find(foldCase(section, encoding_));
    return it == sections_.end() ? 0 : it->second.line;
}

int ProfileFile::keyLine(std::string_view section, std::string_view key) const {
    const Entry* entry = find(section, key);
    return entry ? entry->line : 0;
}

} // namespace varnu
