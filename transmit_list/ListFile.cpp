#include "transmit_list/ListFile.h"

#include "catalogue/ParseHexText.h"
#include "protocol/FrameText.h"
#include "transmit_list/EntryText.h"

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
    return checksumFor(std::span(frame).subspan(kLengthPosition, frame.size() - 2)) == frame.back();
}

struct LineCheck {
    std::optional<LineProblem> problem;
    bool corrected = false; // the checksum digits were rewritten
};

LineCheck checkFrameLine(std::string& line) {
    const std::size_t length = line.size();
    if (length < kMinFrameTextLength)
        return {LineProblem::TooShort};
    if (line.compare(0, 3, "ESC") != 0)
        return {LineProblem::NoEsc};
    std::size_t p = 4; // the character after "ESC" is not looked at
    skipSpaces(line, p);
    if (p + 1 >= length)
        return {LineProblem::MissingBytes};
    const std::uint32_t frameLength = byteAt(line, p);
    p += 2;
    std::uint32_t sum = frameLength;
    // After the length come L - 3 byte pairs, then the checksum pair.
    for (std::uint32_t k = 0; k + 2 < frameLength; ++k) {
        skipSpaces(line, p);
        if (p + 1 >= length)
            return {LineProblem::MissingBytes};
        if (k + 3 < frameLength) {
            sum += byteAt(line, p);
            p += 2;
        }
    }
    skipSpaces(line, p);
    if (p + 1 >= length)
        return {LineProblem::MissingBytes};
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::uint32_t checksum = (0u - sum) & 0xFF;
    const char high = kDigits[checksum >> 4];
    const char low = kDigits[checksum & 0x0F];
    const bool corrected = line[p] != high || line[p + 1] != low;
    line[p] = high;
    line[p + 1] = low;
    return {std::nullopt, corrected};
}

template <typename T> void keepForReport(std::vector<T>& kept, T item) {
    if (kept.size() < kReportedLines)
        kept.push_back(std::move(item));
}

} // namespace

bool CheckFrameText(std::string& line) {
    return !checkFrameLine(line).problem;
}

void ListFileReader::feed(std::string_view block) {
    for (std::size_t end; (end = block.find_first_of("\r\n")) != std::string_view::npos; block.remove_prefix(end + 1)) {
        // The LF of a CR LF pair ends no line of its own (the empty line between is ignored anyway).
        const bool endsCrLf = end == 0 && afterCr_ && block[0] == '\n';
        line_.append(block.substr(0, end));
        if (!endsCrLf)
            endLine();
        afterCr_ = block[end] == '\r';
    }
    if (!block.empty())
        afterCr_ = false;
    line_.append(block);
}

void ListFileReader::finish() {
    if (!line_.empty()) {
        ++report_.lines;
        skip(LineProblem::NoLineEnd);
    }
    line_.clear();
}

void ListFileReader::skip(LineProblem problem) {
    ++report_.skipped;
    keepForReport(report_.skippedLines, SkippedLine{report_.lines, problem});
}

void ListFileReader::endLine() {
    ++report_.lines;
    if (line_.empty())
        return;
    const LineCheck check = checkFrameLine(line_);
    if (check.problem) {
        skip(*check.problem);
    } else if (!sendsAsChecked(line_)) {
        skip(LineProblem::SentDifferently);
    } else {
        std::string entry = entryNumberPrefix(static_cast<int>(entries_.size()) + 1);
        entry += line_;
        entries_.push_back(std::move(entry));
        ++report_.entries;
        if (check.corrected) {
            ++report_.corrected;
            keepForReport(report_.correctedLines, report_.lines);
        }
    }
    line_.clear();
}

std::vector<std::string> readListFile(std::string_view content) {
    ListFileReader reader;
    reader.feed(content);
    return reader.takeEntries();
}

LoadedListFile loadListFile(const std::string& path) {
    FileContent content = readWholeFile(path, kListFileRead);
    ListFileReader reader;
    reader.feed(content.bytes);
    if (content.ok())
        reader.finish(); // after a failure the last line is cut short, not unended
    return {reader.takeEntries(), reader.report(), std::move(content.failure)};
}

namespace {

void replaceWithOpened(TransmitList& list, std::vector<std::string> entries, bool readWhole) {
    list.removeAll();
    list.appendEntries(std::move(entries));
    if (readWhole)
        list.applyOpenWidth();
    list.markSaved();
}

} // namespace

void openList(TransmitList& list, std::string_view content) {
    replaceWithOpened(list, readListFile(content), true);
}

OpenedListFile openListFile(TransmitList& list, const std::string& path) {
    LoadedListFile loaded = loadListFile(path);
    replaceWithOpened(list, std::move(loaded.entries), !loaded.failure);
    return {std::move(loaded.report), std::move(loaded.failure)};
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
