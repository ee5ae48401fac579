#include "cli/CliCommands.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace varnu::cli {
namespace {

const std::string kSample = std::string(VARNU_SOURCE_DIR) + "/catalogue/tests/data/worked_example.ini";

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun runCatalogue(std::vector<std::string> args) {
    args.insert(args.begin(), "catalogue");
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

// Blanks and line breaks between JSON tokens are free; none of the names here holds one.
std::string withoutWhitespace(const std::string& text) {
    std::string result;
    for (const char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            result += c;
    }
    return result;
}

TEST(CatalogueCommandTest, JsonOfTheSampleFile) {
    const CliRun run = runCatalogue({"--json", kSample});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(
        withoutWhitespace(run.out),
        R"({"classes":[)"
        R"({"name":"Image","functions":[)"
        R"({"name":"Level","dataMin":-128,"dataMax":127,"dataDefault":0,"targets":["Unit","Panel"]},)"
        R"({"name":"Table","dataMin":0,"dataMax":0,"dataDefault":0,"targets":["Unit"]}]},)"
        R"({"name":"System","functions":[)"
        R"({"name":"Status","dataMin":0,"dataMax":255,"dataDefault":1,"targets":["Unit"]}]}],)"
        R"("forms":[)"
        R"({"name":"Unit",)"
        R"("write":{"codes":[3,21,22,20,255],"fixedSlave":31,"fixedAddress":0,"dataOffset":0,"slaveOffset":0},)"
        R"("read":{"codes":[3,21,22,5,20,255],"fixedSlave":31,"fixedAddress":0,"dataOffset":0,"slaveOffset":0},)"
        R"("prompts":{"slave":59148,"address":59150,"data":59146,"multi":59152}},)"
        R"({"name":"Panel",)"
        R"("write":{"codes":[21,22,25,26,27,255],"fixedSlave":0,"fixedAddress":256,"dataOffset":0,"slaveOffset":0},)"
        R"("read":{"codes":[21,22,25,26,5,20,255],"fixedSlave":0,"fixedAddress":256,"dataOffset":0,"slaveOffset":0},)"
        R"("prompts":{"slave":59148,"address":59151,"data":59145,"multi":59152}}]})");
}

TEST(CatalogueCommandTest, OutlineNamesEveryClassFunctionAndTarget) {
    const CliRun run = runCatalogue({kSample});
    EXPECT_EQ(run.status, kExitOk);
    for (const char* expected : {"Image", "Level  data -128..127, default 0  -> [Unit] [Panel]", "System", "[Panel]",
                                 "WRITE: 21 22 25 26 27 255", "address 59151"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
}

TEST(CatalogueCommandTest, BadArgumentsGiveUsageAndStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"--json"}, {"--xml", kSample}, {"-j", kSample}, {kSample, kSample}};
    for (const auto& args : cases) {
        const CliRun run = runCatalogue(args);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: varnu-cli catalogue [--json] FILE"), std::string::npos);
    }
}

// The fixed text as its first lines, then the file and the first thing that made it unusable.
TEST(CatalogueCommandTest, FailedLoadShowsTheFixedTextItsReasonAndStatus1) {
    const varnu::testing::TemporaryFolder dir("varnu-catalogue-test");
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {"/nonexistent/varnu.ini", "There is no file \"/nonexistent/varnu.ini\"."},
        {dir.file("no_group.ini", "[GROUP]\nSIZE=4000000000\n"), "gives SIZE=4000000000 on line 2"},
        {dir.file("bom.ini", "\xEF\xBB\xBF[Group]\r\nSIZE=0\r\n"), "gives SIZE=0 on line 2 of its [GROUP]"},
        {dir.file("utf16.ini", std::string("[\0G\0", 4)), "is not readable as text"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCatalogue({"--json", c.path});
        EXPECT_EQ(run.status, kExitFailure);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("Initialization file not found\nor format is incorrect.\n")) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
}

TEST(CatalogueCommandTest, Cp932NamesComeOutAsUtf8AndQuotesAndControlsAreEscaped) {
    // Class "表示" in CP932 (0x95 0x5C 0x8E 0xA6); a function name with a quote, a backslash and
    // a tab; a target whose name holds a control byte.
    const std::string file = "[GROUP]\nSIZE=1\n0=\x95\x5C\x8E\xA6\n[\x95\x5C\x8E\xA6]\nSIZE=1\n"
                             "0=Say \"hi\" \\\tnow,0,0,0,T\x01\n";
    const varnu::testing::TemporaryFolder dir("varnu-catalogue-test");
    const CliRun run = runCatalogue({"--json", dir.file("cp932.ini", file)});
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_NE(run.out.find("\"name\":\"\xE8\xA1\xA8\xE7\xA4\xBA\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("name":"Say \"hi\" \\\u0009now")"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(R"("targets":["T\u0001"])"), std::string::npos) << run.out;
}

} // namespace
} // namespace varnu::cli
