// The list-file reader on arbitrary file contents, fed in blocks of any size (the last input
// byte picks the size): the blocks do not change what is read nor its report, every entry is a
// checked frame text that is sent as it was checked, and a saved list reads back the same.

#include "FrameChecks.h"
#include "protocol/FrameText.h"
#include "transmit_list/EntryText.h"
#include "transmit_list/ListFile.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace varnu;

ListFileReader readInBlocks(std::string_view content, std::size_t blockSize) {
    ListFileReader reader;
    for (std::size_t at = 0; at < content.size(); at += blockSize)
        reader.feed(content.substr(at, blockSize));
    reader.finish();
    return reader;
}

bool sameReport(const ListFileReport& a, const ListFileReport& b) {
    return a.lines == b.lines && a.entries == b.entries && a.corrected == b.corrected &&
           a.correctedLines == b.correctedLines && a.skipped == b.skipped && a.skippedLines == b.skippedLines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t blockSize = provider.ConsumeIntegralInRange<std::size_t>(1, 256);
    const std::string content = provider.ConsumeRemainingBytesAsString();

    const std::vector<std::string> entries = readListFile(content);
    const ListFileReader whole = readInBlocks(content, content.size() + 1);
    const ListFileReader blocks = readInBlocks(content, blockSize);
    FUZZ_CHECK(blocks.entries() == entries);
    FUZZ_CHECK(whole.entries() == entries);
    // The report does not depend on the blocks either, and accounts for every line.
    const ListFileReport& report = whole.report();
    FUZZ_CHECK(sameReport(report, blocks.report()));
    FUZZ_CHECK(report.entries == entries.size());
    FUZZ_CHECK(report.entries + report.skipped <= report.lines);
    FUZZ_CHECK(report.corrected <= report.entries);
    for (const SkippedLine& skipped : report.skippedLines)
        FUZZ_CHECK(skipped.line >= 1 && skipped.line <= report.lines);

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string prefix = entryNumberPrefix(static_cast<int>(i) + 1);
        FUZZ_CHECK(entries[i].starts_with(prefix + "ESC"));
        // The checksum is already right: checking again changes nothing.
        std::string frameText(frameTextOf(entries[i]));
        FUZZ_CHECK(CheckFrameText(frameText));
        FUZZ_CHECK(frameText == frameTextOf(entries[i]));
        FUZZ_CHECK(frameText.find_first_of("\r\n") == std::string::npos);
        fuzz::checkSoundFrame(BuildFrame(entries[i]));
    }

    TransmitList list;
    openList(list, content);
    FUZZ_CHECK(list.entries() == entries);
    FUZZ_CHECK(!list.selection().has_value());
    FUZZ_CHECK(readListFile(writeListFile(list)) == entries);
    return 0;
}
