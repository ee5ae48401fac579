#include "files/ReadWholeFile.h"
#include "files/FileFailureText.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace varnu {
namespace {

namespace fs = std::filesystem;

class ReadWholeFileTest : public ::testing::Test {
protected:
    testing::TemporaryFolder dir{"varnu-files-test"};
};

constexpr FileReadRules kTenBytes{"list file", 10, true, true};

TEST_F(ReadWholeFileTest, RefusesWhatIsNoRegularFileOfItsSizeWithoutOpeningIt) {
    struct Case {
        std::string path;
        FileProblem problem;
        std::string detail;
    };
    std::vector<Case> cases{
        {(dir / "absent.DAT").string(), FileProblem::Missing, ""},
        {(dir / "absent" / "list.DAT").string(), FileProblem::Missing, ""},
        {dir.file("plain", "x") + "/list.DAT", FileProblem::Missing, ""}, // a file where a folder should be
        {dir.path().string(), FileProblem::Directory, ""},
        {dir.file("eleven", "ESC 0123456"), FileProblem::TooLarge, ""},
    };
#ifndef _WIN32
    // Windows has no named pipe or device in its file system for the library to see.
    const std::string fifo = (dir / "pipe").string();
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    cases.push_back({fifo, FileProblem::NotRegularFile, "a named pipe"}); // opening it would wait for a writer
    cases.push_back({"/dev/zero", FileProblem::NotRegularFile, "a device"});
#endif
    for (const auto& c : cases) {
        const FileContent content = readWholeFile(c.path, kTenBytes);
        ASSERT_TRUE(content.failure) << c.path;
        EXPECT_EQ(content.failure->problem, c.problem) << c.path;
        EXPECT_EQ(content.failure->detail, c.detail) << c.path;
        EXPECT_EQ(content.failure->path, c.path);
        EXPECT_EQ(content.failure->kind, "list file");
        EXPECT_EQ(content.bytes, "");
    }
    const FileContent tooLarge = readWholeFile((dir / "eleven").string(), kTenBytes);
    EXPECT_EQ(tooLarge.failure->size, 11u);
    EXPECT_EQ(tooLarge.failure->limit, 10u);
}

TEST_F(ReadWholeFileTest, GivesTheBytesWithoutAByteOrderMarkWhereAsked) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string content;
        bool dropMark;
        std::string bytes;
    } cases[] = {
        {"ESC 06 02\r\n", true, "ESC 06 02\r\n"},
        {bom + "ESC" + bom, true, "ESC" + bom}, // only a leading one
        {bom + "ESC", false, bom + "ESC"},
        {bom + "0123456789", true, "0123456789"}, // the mark counts
        {"", true, ""},
    };
    for (const auto& c : cases) {
        const FileContent content = readWholeFile(dir.file("list.DAT", c.content), {"list file", 13, c.dropMark, true});
        EXPECT_TRUE(content.ok()) << c.content;
        EXPECT_EQ(content.bytes, c.bytes);
    }
}

TEST_F(ReadWholeFileTest, ANulByteMakesATextFileUnreadableAsText) {
    const std::string utf16 = std::string("\xFF\xFE"
                                          "E\0S\0C\0",
                                          8);
    const FileContent text = readWholeFile(dir.file("utf16.ini", utf16), kCatalogueRead);
    ASSERT_TRUE(text.failure);
    EXPECT_EQ(text.failure->problem, FileProblem::NotText);
    EXPECT_EQ(text.failure->size, 4u); // the first NUL is the file's fourth byte
    EXPECT_EQ(readWholeFile((dir / "utf16.ini").string(), kListFileRead).bytes, utf16); // lists take any bytes
}

// A stream that hands out `good` and then fails as a disk with a bad sector does.
class FailingBuffer : public std::streambuf {
public:
    explicit FailingBuffer(std::string good) : good_(std::move(good)) {
        setg(good_.data(), good_.data(), good_.data() + good_.size());
    }

protected:
    int_type underflow() override { throw std::ios_base::failure("bad sector"); }

private:
    std::string good_;
};

TEST(ReadWholeStream, KeepsWhatWasReadBeforeAFailureAndNoticesAGrowingFile) {
    std::string good;
    while (good.size() < 200'000)
        good += "ESC 07 01 00 08 00 F0\r\n";
    FailingBuffer buffer(good);
    std::istream failing(&buffer);
    const FileContent partial = readWholeStream(failing, "list.DAT", kListFileRead);
    ASSERT_TRUE(partial.failure);
    EXPECT_EQ(partial.failure->problem, FileProblem::Unreadable);
    // Reads go by blocks: what came before the failing block is kept.
    EXPECT_FALSE(partial.bytes.empty());
    EXPECT_TRUE(good.starts_with(partial.bytes));

    // Larger than the limit although the size looked at before opening was not.
    std::istringstream grown("0123456789A");
    const FileContent tooLarge = readWholeStream(grown, "list.DAT", kTenBytes);
    ASSERT_TRUE(tooLarge.failure);
    EXPECT_EQ(tooLarge.failure->problem, FileProblem::TooLarge);
    std::istringstream atLimit("0123456789");
    EXPECT_EQ(readWholeStream(atLimit, "list.DAT", kTenBytes).bytes, "0123456789");
}

TEST_F(ReadWholeFileTest, AFileWithoutReadPermissionIsRefusedSo) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no read permission to take away: the read-only attribute forbids writing and "
                    "deleting, not reading";
#endif
    const std::string path = dir.file("locked.DAT", "ESC");
    fs::permissions(path, fs::perms::none);
    if (std::ifstream(path).is_open())
        GTEST_SKIP() << "this user reads files without permission (root)";
    const FileContent content = readWholeFile(path, kListFileRead);
    ASSERT_TRUE(content.failure);
    EXPECT_EQ(content.failure->problem, FileProblem::NoPermission);
}

TEST(ExplainFileFailure, NamesTheFileSaysWhatFailedAndWhatToDo) {
    const struct {
        FileFailure failure;
        std::vector<std::string> says;
    } cases[] = {
        {{FileProblem::Missing, "/x/list.DAT", "list file"},
         {"There is no file \"/x/list.DAT\".", "another list file"}},
        {{FileProblem::NoPermission, "/x/a.ini", "catalogue"}, {"\"/x/a.ini\"", "permission to read it is denied"}},
        {{FileProblem::Directory, "/x", "catalogue"}, {"\"/x\" is a folder, not a file.", "Choose a catalogue in it."}},
        {{FileProblem::NotRegularFile, "/dev/zero", "list file", "a device"}, {"\"/dev/zero\" is a device"}},
        {{FileProblem::TooLarge, "/x/big", "rules file", {}, 1048577, 1048576},
         {"holds 1,048,577 bytes", "more than any rules file can (at most 1,048,576 bytes)"}},
        {{FileProblem::Unreadable, "/x/a", "list file", "Input/output error"},
         {"could not be read: Input/output error."}},
        {{FileProblem::Unreadable, "/x/a", "list file"}, {"could not be read to the end."}},
        {{FileProblem::NotText, "/x/a.ini", "catalogue", {}, 4}, {"not readable as text", "byte number 4", "UTF-16"}},
    };
    for (const auto& c : cases) {
        const std::string text = explainFileFailure(c.failure);
        for (const std::string& part : c.says)
            EXPECT_NE(text.find(part), std::string::npos) << text << "\n  lacks: " << part;
    }
    // A bare name says which folder it was looked for in.
    const std::string bare = explainFileFailure({FileProblem::Missing, "varnu.ini", "catalogue"});
    EXPECT_NE(bare.find("\"varnu.ini\" in the folder \"" + fs::current_path().string() + "\""), std::string::npos)
        << bare;
    EXPECT_EQ(byteCountText(268435456), "268,435,456 bytes");
    EXPECT_EQ(byteCountText(999), "999 bytes");
}

} // namespace
} // namespace varnu
