// Standard output on Windows carries the bytes as they are: the Receive List's CR LF line ends
// stay CR LF instead of becoming CR CR LF in the C runtime's text mode.

#include "cli/StandardStreams.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace varnu::cli {
namespace {

TEST(StandardStreams, StandardOutputKeepsCarriageReturnLineFeedAsItIs) {
    const std::string path = ::testing::TempDir() + "varnu-standard-output.txt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fflush(stdout);
    const int saved = ::_dup(::_fileno(stdout));
    ASSERT_GE(saved, 0);
    ::_dup2(::_fileno(file), ::_fileno(stdout));
    ::_setmode(::_fileno(stdout), _O_TEXT); // as the C runtime starts a program
    prepareStandardStreams();
    std::fputs("ACK\r\n", stdout);
    std::fflush(stdout);
    ::_dup2(saved, ::_fileno(stdout));
    ::_close(saved);
    std::fclose(file);

    std::ifstream written(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << written.rdbuf();
    EXPECT_EQ(bytes.str(), "ACK\r\n");
    std::remove(path.c_str());
}

} // namespace
} // namespace varnu::cli
