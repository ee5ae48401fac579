// The list-file reader on arbitrary file contents, fed in blocks of any size (the last input
// byte picks the size): the blocks do not change what is read, every entry is a checked frame
// text that is sent as it was checked, and a saved list reads back the same.

#include "FrameChecks.h"
#include "protocol/FrameText.h"
#include "transmit_list/EntryText.h"
#include "transmit_list/ListFile.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace varnu;

std::vector<std::string> readInBlocks(std::string_view content, std::size_t blockSize) {
    ListFileReader reader;
    for (std::size_t at = 0; at < content.size(); at += blockSize)
        reader.feed(content.substr(at, blockSize));
    return reader.takeEntries();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t blockSize = provider.ConsumeIntegralInRange<std::size_t>(1, 256);
    const std::string content = provider.ConsumeRemainingBytesAsString();

    const std::vector<std::string> entries = readListFile(content);
    FUZZ_CHECK(readInBlocks(content, blockSize) == entries);

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
