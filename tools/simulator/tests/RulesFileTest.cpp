#include "tools/simulator/RulesFile.h"
#include "files/ReadWholeFile.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace varnu::sim {
namespace {

TEST(RulesFile, ReadsARegularFileWithoutItsByteOrderMarkAndRefusesAnythingElseWithTheReason) {
    const varnu::testing::TemporaryFolder dir("varnu-rules-file-test");

    // An editor's byte-order mark does not cost the first rule.
    const LoadedRules bom = loadRulesFile(dir.file("bom.rules", "\xEF\xBB\xBFon 1B 06 -> nak\non * -> ack\n"));
    ASSERT_FALSE(bom.error) << *bom.error;
    ASSERT_EQ(bom.rules.size(), 2u);
    EXPECT_EQ(bom.rules[0].prefix, (Bytes{0x1B, 0x06}));

    const struct {
        std::string path;
        std::string says;
    } refused[] = {
        {dir.path().string(), "is a folder, not a file."},
        {"/dev/zero", "is a device"},
        {(dir / "none.rules").string(), "There is no file"},
        {dir.file("big.rules", std::string(varnu::kRulesFileRead.maxBytes + 1, '#')), "more than any rules file can"},
        {dir.file("bad.rules", "on * -> ack\non * -> wave\n"), "bad.rules:2: unknown action 'wave'"},
    };
    for (const auto& r : refused) {
        const LoadedRules loaded = loadRulesFile(r.path);
        ASSERT_TRUE(loaded.error) << r.path;
        EXPECT_NE(loaded.error->find(r.says), std::string::npos) << *loaded.error;
        EXPECT_TRUE(loaded.rules.empty());
    }
}

} // namespace
} // namespace varnu::sim
