#include "transmit_list/ListFileReport.h"

#include <array>
#include <string_view>

namespace varnu {

namespace {

struct ProblemText {
    LineProblem problem;
    std::string_view text;
};

constexpr std::array kProblemTexts{
    ProblemText{LineProblem::TooShort,
                "it is shorter than 13 characters, the shortest frame text (\"ESC LL AA CC FF KK\")"},
    ProblemText{
        LineProblem::NoEsc,
        "it does not start with \"ESC\" in capitals (a number such as \"(1) \" or a blank before it is not taken)"},
    ProblemText{LineProblem::MissingBytes, "it holds fewer byte pairs than its length byte counts, or no checksum"},
    ProblemText{LineProblem::SentDifferently,
                "its blanks would make Transmit send other bytes than the ones checked (blanks before the length "
                "byte, a token of odd length, or one running past the checksum)"},
    ProblemText{LineProblem::NoLineEnd,
                "it is the last line and has no line end, which every line of a list file needs"},
};

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// "1, 4 and 9", with "and N more" when only the first numbers were kept.
std::string lineList(const std::vector<std::size_t>& lines, std::size_t total) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += i + 1 == lines.size() && total == lines.size() ? " and " : ", ";
        text += std::to_string(lines[i]);
    }
    if (total > lines.size())
        text += " and " + std::to_string(total - lines.size()) + " more";
    return text;
}

} // namespace

std::string_view lineProblemText(LineProblem problem) {
    for (const ProblemText& entry : kProblemTexts) {
        if (entry.problem == problem)
            return entry.text;
    }
    return "it is not a frame text";
}

std::vector<std::string> describeListFileReport(const ListFileReport& report) {
    std::string summary =
        counted(report.lines, "line", "lines") + " read: " + counted(report.entries, "entry", "entries") + " taken";
    if (report.skipped > 0)
        summary += ", " + counted(report.skipped, "line", "lines") + " skipped";
    if (report.emptyLines() > 0)
        summary += ", " + counted(report.emptyLines(), "empty line", "empty lines");
    std::vector<std::string> sentences{summary + "."};
    if (report.corrected > 0)
        sentences.push_back(std::string("Checksum corrected on ") + (report.corrected == 1 ? "line " : "lines ") +
                            lineList(report.correctedLines, report.corrected) + ".");
    for (const SkippedLine& skipped : report.skippedLines)
        sentences.push_back("Line " + std::to_string(skipped.line) +
                            " skipped: " + std::string(lineProblemText(skipped.problem)) + ".");
    if (report.skipped > report.skippedLines.size())
        sentences.push_back("And " + counted(report.skipped - report.skippedLines.size(), "more line", "more lines") +
                            " skipped.");
    return sentences;
}

} // namespace varnu
