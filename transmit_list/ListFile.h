#pragma once
// List files: one frame text per line, each ended by CR LF, nothing else. Reading checks
// every line and writes its checksum afresh, so a list can be written by hand.

#include "transmit_list/TransmitList.h"

#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// A line is accepted when it starts with "ESC" and, after the length byte L, holds L - 3
// byte pairs and two more characters, spaces allowed before any pair. On accept the last
// two characters looked at are replaced by the right checksum; the rest stays as it was.
bool CheckFrameText(std::string& line);

// Reads a list file fed in blocks of any size. Each CR and each LF ends a line; empty lines
// and lines CheckFrameText rejects are skipped; text after the last line end is never taken.
class ListFileReader {
public:
    void feed(std::string_view block);
    // The accepted lines so far as entry texts, numbered from 1.
    const std::vector<std::string>& entries() const { return entries_; }
    std::vector<std::string> takeEntries() { return std::move(entries_); }

private:
    void endLine();

    std::string line_;
    std::vector<std::string> entries_;
};

std::vector<std::string> readListFile(std::string_view content);

// Open: replaces the list with the file's accepted lines, then sets the Open widths.
void openList(TransmitList& list, std::string_view content);

// The file content of a list: each entry's frame text (from "ESC" on), then CR LF.
// Write it so that a failure leaves the old file in place: with QSaveFile, check that
// write() took every byte and that flush() and error() report no failure, call
// cancelWriting() otherwise, and only then commit() (commit alone passes a short write).
std::string writeListFile(const TransmitList& list);

} // namespace varnu
