#include "catalogue/Catalogue.h"
#include "catalogue/ParseHexText.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

Catalogue smallCatalogue() {
    Catalogue c;
    c.groups.push_back({"Image", {{"Level", -128, 127, 5, {"Unit"}}}});
    c.groups.push_back({"Empty", {}});
    c.forms.resize(3);
    c.forms[0].name = "Unit";
    c.forms[1].name = "unit";
    c.forms[2].name = "Unit"; // never produced by the loader; the first one is found
    c.forms[2].dataPrompt = kPromptRgb;
    return c;
}

TEST(CatalogueTest, AccessorsAnswerNothingOutOfRange) {
    const Catalogue c = smallCatalogue();
    EXPECT_EQ(c.dataDefault(0, 0), 5);
    ASSERT_NE(c.targets(0, 0), nullptr);
    EXPECT_EQ(c.targets(0, 0)->front(), "Unit");
    for (auto [cls, fn] : {std::pair{0, 1}, {1, 0}, {2, 0}, {-1, 0}, {0, -1}}) {
        EXPECT_EQ(c.function(cls, fn), nullptr) << cls << "," << fn;
        EXPECT_EQ(c.targets(cls, fn), nullptr);
        EXPECT_EQ(c.dataDefault(cls, fn), 0);
    }
}

TEST(CatalogueTest, FindFormMatchesExactlyAndTakesTheFirst) {
    Catalogue c = smallCatalogue();
    EXPECT_EQ(c.findForm("Unit"), &c.forms[0]);
    EXPECT_EQ(c.findForm("unit"), &c.forms[1]);
    EXPECT_EQ(c.findForm("UNIT"), nullptr);
    EXPECT_EQ(c.findForm(""), nullptr);
    c.clear();
    EXPECT_TRUE(c.groups.empty());
    EXPECT_EQ(c.findForm("Unit"), nullptr);
}

TEST(ParseHexTextTest, ForeignCharactersCountAsZeroDigitsAndHighDigitsWrap) {
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {{"", 0},
                          {"1F", 31},
                          {"1f", 31},
                          {"1G", 16},
                          {"12 3", 0x1203},
                          {"FFFFFFFF", ~0u},
                          {"123456789", 0x23456789},
                          {"0100", 0x100}};
    for (const Case& c : cases)
        EXPECT_EQ(parseHexText(c.text), c.value) << c.text;
}

} // namespace
} // namespace varnu
