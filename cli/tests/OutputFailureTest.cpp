// Every write of varnu-cli to standard output is checked: a stream that fails in-process, a
// full disk (/dev/full) and a reader that has gone (a closed pipe) end the command with status
// 1 and a message naming the stream, never with a silent success or a death by SIGPIPE.

#include "cli/tests/CliRun.h"
#ifndef _WIN32
#include "cli/tests/BrokenOutputRun.h"
#endif

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <streambuf>

namespace varnu::cli {
namespace {

const std::string kData = std::string(VARNU_SOURCE_DIR) + "/cli/tests/data";
const std::string kCatalogue = std::string(VARNU_SOURCE_DIR) + "/resources/varnu.ini";

// Refuses every byte, without a reason from the system.
class RefusingBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

struct CommandCase {
    std::vector<std::string> args;
    std::string command;
};

const std::vector<CommandCase> kCommands = {
    {{"list", kData + "/two_entries.DAT"}, "list"},
    {{"catalogue", kCatalogue}, "catalogue"},
    {{"catalogue", "--json", kCatalogue}, "catalogue"},
    {{"compose", "--catalogue", kCatalogue, "--class", "0", "--function", "0"}, "compose"},
    {{"frame", "ESC 06 02 00 00 F8"}, "frame"},
    {{"decode", "--catalogue", kCatalogue, "1B0701000800F0"}, "decode"},
    {{"ports"}, "ports"}, // says so on standard output when there is none
};

TEST(OutputFailure, EveryCommandReportsAStandardOutputItCannotWriteTo) {
    for (const CommandCase& c : kCommands) {
        ASSERT_EQ(testing::run(c.args).status, kExitOk) << c.command; // it works with a good stream
        RefusingBuffer refusing;
        std::ostream out(&refusing);
        std::ostringstream err;
        EXPECT_EQ(runCli(c.args, out, err), kExitFailure) << c.command;
        EXPECT_NE(err.str().find("varnu-cli " + c.command + ": cannot write to standard output: the write failed\n"),
                  std::string::npos)
            << err.str();
    }
}

// Unix only: Windows has neither /dev/full nor SIGPIPE, and the runs are started with posix_spawn.
#ifndef _WIN32
TEST(OutputFailure, TheProgramNamesAFullDiskAndAClosedPipe) {
    using testing::BrokenOutput;
    for (const CommandCase& c : kCommands) {
        const auto full = testing::runWithBrokenOutput(c.args, BrokenOutput::DevFull);
        EXPECT_EQ(full.status, kExitFailure) << c.command;
        EXPECT_NE(
            full.err.find("varnu-cli " + c.command + ": cannot write to standard output: No space left on device"),
            std::string::npos)
            << full.err;

        const auto closed = testing::runWithBrokenOutput(c.args, BrokenOutput::ClosedPipe);
        EXPECT_EQ(closed.status, kExitFailure) << c.command << " (-1: ended by a signal)";
        EXPECT_NE(closed.err.find("varnu-cli " + c.command + ": cannot write to standard output: Broken pipe"),
                  std::string::npos)
            << closed.err;
    }
}
#endif

} // namespace
} // namespace varnu::cli
