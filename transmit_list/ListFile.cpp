#include "transmit_list/ListFile.h"

#include "catalogue/ParseHexText.h"
#include "transmit_list/EntryText.h"

#include <cstdio>

namespace varnu {

namespace {

// The shortest line that can hold "ESC LL AA CC FF KK".
constexpr std::size_t kMinFrameTextLength = 13;
constexpr std::string_view kLineEnd = "\r\n";

std::uint32_t byteAt(const std::string& line, std::size_t p) {
    return parseHexText(std::string_view(line).substr(p, 2)) & 0xFF;
}

void skipSpaces(const std::string& line, std::size_t& p) {
    while (p < line.size() && line[p] == ' ')
        ++p;
}

} // namespace

bool CheckFrameText(std::string& line) {
    const std::size_t length = line.size();
    if (length < kMinFrameTextLength || line.compare(0, 3, "ESC") != 0)
        return false;
    std::size_t p = 4; // the character after "ESC" is not looked at
    skipSpaces(line, p);
    if (p + 1 >= length)
        return false;
    const std::uint32_t frameLength = byteAt(line, p);
    p += 2;
    std::uint32_t sum = frameLength;
    // After the length come L - 3 byte pairs, then the checksum pair.
    for (std::uint32_t k = 0; k + 2 < frameLength; ++k) {
        skipSpaces(line, p);
        if (p + 1 >= length)
            return false;
        if (k + 3 < frameLength) {
            sum += byteAt(line, p);
            p += 2;
        }
    }
    skipSpaces(line, p);
    if (p + 1 >= length)
        return false;
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", (0u - sum) & 0xFF);
    line.replace(p, 2, checksum, 2);
    return true;
}

void ListFileReader::feed(std::string_view block) {
    for (char c : block) {
        if (c == '\r' || c == '\n')
            endLine();
        else
            line_ += c;
    }
}

void ListFileReader::endLine() {
    if (!line_.empty() && CheckFrameText(line_))
        entries_.push_back(entryNumberPrefix(static_cast<int>(entries_.size()) + 1) + line_);
    line_.clear();
}

std::vector<std::string> readListFile(std::string_view content) {
    ListFileReader reader;
    reader.feed(content);
    return reader.takeEntries();
}

void openList(TransmitList& list, std::string_view content) {
    list.removeAll();
    for (std::string& entry : readListFile(content))
        list.appendEntry(std::move(entry));
    list.applyOpenWidth();
}

std::string writeListFile(const TransmitList& list) {
    std::string content;
    for (const std::string& entry : list.entries()) {
        content += frameTextOf(entry);
        content += kLineEnd;
    }
    return content;
}

} // namespace varnu
