#include "tools/simulator/RulesFile.h"
#include "files/ReadWholeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace varnu::sim {
namespace {

namespace fs = std::filesystem;

TEST(RulesFile, ReadsARegularFileWithoutItsByteOrderMarkAndRefusesAnythingElseWithTheReason) {
    const fs::path dir = fs::path(::testing::TempDir()) / "varnu-rules-file-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const auto write = [&](const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
        return (dir / name).string();
    };

    // An editor's byte-order mark does not cost the first rule.
    const LoadedRules bom = loadRulesFile(write("bom.rules", "\xEF\xBB\xBFon 1B 06 -> nak\non * -> ack\n"));
    ASSERT_FALSE(bom.error) << *bom.error;
    ASSERT_EQ(bom.rules.size(), 2u);
    EXPECT_EQ(bom.rules[0].prefix, (Bytes{0x1B, 0x06}));

    const struct {
        std::string path;
        std::string says;
    } refused[] = {
        {dir.string(), "is a folder, not a file."},
        {"/dev/zero", "is a device"},
        {(dir / "none.rules").string(), "There is no file"},
        {write("big.rules", std::string(varnu::kRulesFileRead.maxBytes + 1, '#')), "more than any rules file can"},
        {write("bad.rules", "on * -> ack\non * -> wave\n"), "bad.rules:2: unknown action 'wave'"},
    };
    for (const auto& r : refused) {
        const LoadedRules loaded = loadRulesFile(r.path);
        ASSERT_TRUE(loaded.error) << r.path;
        EXPECT_NE(loaded.error->find(r.says), std::string::npos) << *loaded.error;
        EXPECT_TRUE(loaded.rules.empty());
    }
    fs::remove_all(dir);
}

} // namespace
} // namespace varnu::sim
