#pragma once
// What opening a list file did with each line: how many were read, which became entries with
// their checksum rewritten, which were skipped and why. A hand-edited file that shrinks on
// opening is noticed this way. Line numbers count from 1 as an editor shows them: CR LF ends
// one line, as do a lone CR and a lone LF.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// Why a non-empty line of a list file is not taken.
enum class LineProblem {
    TooShort,        // shorter than the 13 characters of the shortest frame text
    NoEsc,           // does not start with "ESC"
    MissingBytes,    // fewer byte pairs than its length byte counts, or no checksum
    SentDifferently, // its blanks would make Transmit send other bytes than the ones checked
    NoLineEnd,       // the file's last line, which has no line end
};

struct SkippedLine {
    std::size_t line = 0;
    LineProblem problem{};

    bool operator==(const SkippedLine&) const = default;
};

// The line numbers kept for a report: enough to find the lines in an editor; the counts
// cover the rest.
inline constexpr std::size_t kReportedLines = 20;

struct ListFileReport {
    std::size_t lines = 0; // every line, empty ones and an unended last one included
    std::size_t entries = 0;
    std::size_t corrected = 0;               // entries whose checksum digits were rewritten
    std::vector<std::size_t> correctedLines; // the first kReportedLines of them
    std::size_t skipped = 0;                 // non-empty lines not taken
    std::vector<SkippedLine> skippedLines;   // the first kReportedLines of them

    std::size_t emptyLines() const { return lines - entries - skipped; }
};

// The report in plain sentences: a summary ("5 lines read: 3 entries taken, 1 line skipped,
// 1 empty line."), the corrected line numbers, then one sentence per skipped line.
std::vector<std::string> describeListFileReport(const ListFileReport& report);

// Why one line was skipped, as the end of "Line 4 skipped: ...".
std::string_view lineProblemText(LineProblem problem);

} // namespace varnu
