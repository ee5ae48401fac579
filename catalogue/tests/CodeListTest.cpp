#include "catalogue/CodeList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnu {
namespace {

using Codes = std::vector<std::uint8_t>;

struct ListCase {
    std::string value;
    Codes codes; // End included
    std::uint32_t fixedSlave = 0;
    std::uint32_t fixedAddress = 0;
    std::int32_t dataOffset = 0;
    std::int32_t slaveOffset = 0;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << "'" << c.value << "'";
}

class CodeListTest : public testing::TestWithParam<ListCase> {};

// Each list is read into the Read slot: the Write slot must stay untouched.
TEST_P(CodeListTest, ReadsCodesFixedValuesAndOffsetsIntoItsOwnSlot) {
    const ListCase& c = GetParam();
    TargetForm form;
    parseCodeList(c.value, TextEncoding::Utf8, FormPass::Read, form);
    EXPECT_EQ(form.codesFor(FormPass::Read), c.codes);
    EXPECT_EQ(form.fixedSlave[1], c.fixedSlave);
    EXPECT_EQ(form.fixedAddress[1], c.fixedAddress);
    EXPECT_EQ(form.dataOffset[1], c.dataOffset);
    EXPECT_EQ(form.slaveOffset[1], c.slaveOffset);
    EXPECT_TRUE(form.codesFor(FormPass::Write).empty());
    EXPECT_EQ(form.fixedSlave[0], 0u);
    EXPECT_EQ(form.fixedAddress[0], 0u);
    EXPECT_EQ(form.dataOffset[0], 0);
    EXPECT_EQ(form.slaveOffset[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Grammar, CodeListTest,
                         testing::Values(ListCase{"3,S(1F),A,D", {3, 21, 22, 20, 255}, 0x1F},
                                         ListCase{"S,A(100),L,H,5,D", {21, 22, 25, 26, 5, 20, 255}, 0, 0x100},
                                         ListCase{"", {255}}, ListCase{"NoForm", {0, 255}},
                                         // The blank ends "S"; the comma then ends an empty token, the literal 0.
                                         ListCase{"S , A", {21, 0, 22, 255}}, ListCase{"S,,A,", {21, 0, 22, 255}},
                                         ListCase{"\tS|A;D:M", {21, 22, 20, 27, 255}},
                                         ListCase{"S-2", {24, 255}, 0, 0, 0, -2},
                                         ListCase{"S+7,D-3", {24, 23, 255}, 0, 0, -3, 7}, ListCase{"D+x", {23, 255}},
                                         ListCase{"S(0012)", {21, 255}, 0x12}, ListCase{"S()", {21, 255}},
                                         ListCase{"S(12", {21, 255}}, ListCase{"S((\t12\t)", {21, 255}, 0x12},
                                         // A later fixed value of the same kind wins; A(, H( and L( share one slot.
                                         ListCase{"S(1),S(2),A(3),L(4)", {21, 21, 22, 25, 255}, 2, 4},
                                         ListCase{"A(123456789)", {22, 255}, 0, 0x23456789},
                                         // Only the character after the letter matters; lower case is no code.
                                         ListCase{"Slave,Data,Multi,Address,High,Low", {21, 20, 27, 22, 26, 25, 255}},
                                         ListCase{"s,d,m,D(5)", {0, 0, 0, 20, 255}},
                                         // Literals: low 8 bits of the leading decimal number.
                                         ListCase{"15,256,-1,20x", {15, 0, 255, 20, 255}},
                                         ListCase{"3,255,S", {3, 255, 21, 255}}));

TEST(CodeListCp932Test, ATrailByteThatLooksLikeABarDoesNotEndAToken) {
    TargetForm form;
    parseCodeList("\x83\x7C|S", TextEncoding::Cp932, FormPass::Write, form);
    EXPECT_EQ(form.codesFor(FormPass::Write), (Codes{0, 21, 255}));
}

} // namespace
} // namespace varnu
