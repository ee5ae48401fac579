#include "transmit_list/ListFile.h"

#include "catalogue/ParseHexText.h"
#include "protocol/FrameText.h"
#include "transmit_list/EntryText.h"

#include <numeric>

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

// The check reads byte pairs wherever the spaces fall, but Transmit builds the frame token by
// token from the first space after "ESC". A line on which the two disagree (blanks before the
// length, an odd-length token, a token running past the checksum, a length below 3) would go
// out with a wrong length byte or checksum, so it is skipped like any other bad line.
bool sendsAsChecked(std::string_view line) {
    const std::vector<std::uint8_t> frame = BuildFrame(line);
    if (frame.size() < 2 || frame[1] != frame.size())
        return false;
    return std::accumulate(frame.begin() + 1, frame.end(), 0u) % 256 == 0;
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
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::uint32_t checksum = (0u - sum) & 0xFF;
    line[p] = kDigits[checksum >> 4];
    line[p + 1] = kDigits[checksum & 0x0F];
    return true;
}

void ListFileReader::feed(std::string_view block) {
    for (std::size_t end; (end = block.find_first_of("\r\n")) != std::string_view::npos; block.remove_prefix(end + 1)) {
        line_.append(block.substr(0, end));
        endLine();
    }
    line_.append(block);
}

void ListFileReader::endLine() {
    if (!line_.empty() && CheckFrameText(line_) && sendsAsChecked(line_)) {
        std::string entry = entryNumberPrefix(static_cast<int>(entries_.size()) + 1);
        entry += line_;
        entries_.push_back(std::move(entry));
    }
    line_.clear();
}

std::vector<std::string> readListFile(std::string_view content) {
    ListFileReader reader;
    reader.feed(content);
    return reader.takeEntries();
}

void openList(TransmitList& list, std::string_view content) {
    list.removeAll();
    list.appendEntries(readListFile(content));
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
