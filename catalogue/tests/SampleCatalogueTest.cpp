// The sample catalogue shipped in resources/ must be a usable file: the window and the demo
// start from it, and the link-control commands sit at fixed class and function numbers.

#include "catalogue/CatalogueLoader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace varnu {
namespace {

Catalogue loadSample() {
    std::ifstream in(std::string(VARNU_TEST_DATA) + "/../../../resources/varnu.ini", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    Catalogue catalogue;
    EXPECT_TRUE(in.good() || in.eof());
    EXPECT_TRUE(loadCatalogue(std::optional<std::string>(bytes.str()), catalogue));
    return catalogue;
}

TEST(SampleCatalogueTest, EveryClassHasFunctionsAndEveryFunctionHasTargetsWithSections) {
    const Catalogue c = loadSample();
    ASSERT_GE(c.groups.size(), 4u);
    for (const CommandGroup& group : c.groups) {
        EXPECT_FALSE(group.functions.empty()) << group.name;
        for (const CommandFunction& function : group.functions) {
            EXPECT_FALSE(function.targets.empty()) << function.name;
            EXPECT_LE(function.dataMin, function.dataMax) << function.name;
            for (const std::string& target : function.targets) {
                // A target without a section reads as the literal list 0 on both passes.
                const TargetForm* form = c.findForm(target);
                ASSERT_NE(form, nullptr);
                EXPECT_NE(form->codesFor(FormPass::Write), (std::vector<std::uint8_t>{0, End})) << target;
            }
        }
    }
}

TEST(SampleCatalogueTest, PortSpeedAndMousePortCommandsSitAtClass0Functions6And8) {
    const Catalogue c = loadSample();
    for (int function : {6, 8}) {
        const std::vector<std::string>* targets = c.targets(0, function);
        ASSERT_NE(targets, nullptr);
        const TargetForm* form = c.findForm(targets->front());
        ASSERT_NE(form, nullptr);
        // Set sends the Data byte alone (1B 07 01 00 fn dd cs); Get sends no items (1B 06 02 00 06 F2).
        EXPECT_EQ(form->codesFor(FormPass::Write), (std::vector<std::uint8_t>{Data, End}));
        EXPECT_EQ(form->codesFor(FormPass::Read), (std::vector<std::uint8_t>{End}));
    }
    EXPECT_EQ(c.function(0, 6)->dataMax, 2);
    EXPECT_EQ(c.function(0, 8)->dataMax, 1);
}

} // namespace
} // namespace varnu
