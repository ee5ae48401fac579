#pragma once
// List files: one frame text per line, each ended by CR LF, nothing else. Reading checks
// every line and writes its checksum afresh, so a list can be written by hand.

#include "files/ReadWholeFile.h"
#include "transmit_list/ListFileReport.h"
#include "transmit_list/TransmitList.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// The messages of Open and Save when the file itself fails.
inline constexpr std::string_view kReadFailure = "Read Failure.";
inline constexpr std::string_view kWriteFailure = "Write Failure.";

// A line is accepted when it starts with "ESC" and, after the length byte L, holds L - 3
// byte pairs and two more characters, spaces allowed before any pair. On accept the last
// two characters looked at are replaced by the right checksum; the rest stays as it was.
bool CheckFrameText(std::string& line);

// Reads a list file fed in blocks of any size. Each CR and each LF ends a line; empty lines
// and lines CheckFrameText rejects are skipped; text after the last line end is never taken.
// The report counts every line; finish() adds the unended last line to it.
class ListFileReader {
public:
    void feed(std::string_view block);
    // The end of the file: text after the last line end is reported as skipped.
    void finish();
    // The accepted lines so far as entry texts, numbered from 1.
    const std::vector<std::string>& entries() const { return entries_; }
    std::vector<std::string> takeEntries() { return std::move(entries_); }
    const ListFileReport& report() const { return report_; }

private:
    void endLine();
    void skip(LineProblem problem);

    std::string line_;
    bool afterCr_ = false; // the last byte fed was a CR: an LF now completes CR LF
    std::vector<std::string> entries_;
    ListFileReport report_;
};

std::vector<std::string> readListFile(std::string_view content);

// A list file opened by name: the entries and what happened to each line. After a failure
// while reading, the entries of the lines read before it (Open keeps them) and the failure.
struct LoadedListFile {
    std::vector<std::string> entries;
    ListFileReport report;
    std::optional<FileFailure> failure;
};

LoadedListFile loadListFile(const std::string& path);

// Open: replaces the list with the file's accepted lines, then sets the Open widths; the list
// then holds what the file holds (not modified).
void openList(TransmitList& list, std::string_view content);

// What Open of a file by name says: what became of each line, and the failure, if any.
struct OpenedListFile {
    ListFileReport report;
    std::optional<FileFailure> failure;
};

// Open of a file by name. When the file cannot be read whole, the list keeps the entries of the
// lines read before the failure, without the Open widths; it counts as saved either way, since
// what it holds is in the file.
OpenedListFile openListFile(TransmitList& list, const std::string& path);

// The file content of a list: each entry's frame text (from "ESC" on), then CR LF.
// Write it so that a failure leaves the old file in place: with QSaveFile, check that
// write() took every byte and that flush() and error() report no failure, call
// cancelWriting() otherwise, and only then commit() (commit alone passes a short write).
std::string writeListFile(const TransmitList& list);

} // namespace varnu
