#include "catalogue/FunctionLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnu {
namespace {

struct LineCase {
    std::string line;
    std::string name;
    std::int32_t dataMin, dataMax, dataDefault;
    std::vector<std::string> targets;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << "'" << c.line << "'";
}

class FunctionLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(FunctionLineTest, ParsesNameNumbersAndTargets) {
    const LineCase& c = GetParam();
    const CommandFunction f = parseFunctionLine(c.line, TextEncoding::Utf8);
    EXPECT_EQ(f.name, c.name);
    EXPECT_EQ(f.dataMin, c.dataMin);
    EXPECT_EQ(f.dataMax, c.dataMax);
    EXPECT_EQ(f.dataDefault, c.dataDefault);
    EXPECT_EQ(f.targets, c.targets);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, FunctionLineTest,
    testing::Values(
        LineCase{"Level,-128,127,0,Unit Panel", "Level", -128, 127, 0, {"Unit", "Panel"}},
        // Characters before a number are passed over; blanks before a name too.
        LineCase{"Level, -128, 127, 0, Unit", "Level", -128, 127, 0, {"Unit"}},
        LineCase{"Mode x,min=5,max=9,def 7,Unit", "Mode x", 5, 9, 7, {"Unit"}},
        LineCase{"NoItem", "NoItem", 0, 0, 0, {}}, LineCase{"Power Off", "Power Off", 0, 0, 0, {}},
        // The third number is not found before the line ends: no targets.
        LineCase{"Name,1,2,Unit", "Name", 1, 2, 0, {}}, LineCase{"Name;5:6/7,A|B", "Name", 5, 6, 7, {"A", "B"}},
        // "|" does not end a number: the third number runs to the end of the line.
        LineCase{"Name,5,6,7|A", "Name", 5, 6, 7, {}}, LineCase{"Name,5,6,7", "Name", 5, 6, 7, {}},
        LineCase{"Name,5,6,7,", "Name", 5, 6, 7, {}},
        // A blank then a separator, or two separators, enclose an empty name.
        LineCase{"N,0,0,0,A ,B", "N", 0, 0, 0, {"A", "", "B"}}, LineCase{"N,0,0,0,A,,B", "N", 0, 0, 0, {"A", "", "B"}},
        LineCase{"N,0,0,0,A, B", "N", 0, 0, 0, {"A", "B"}}, LineCase{"N,0,0,0,A  B", "N", 0, 0, 0, {"A", "B"}},
        LineCase{"N,0,0,0,\tA;B:C|D ", "N", 0, 0, 0, {"A", "B", "C", "D"}},
        LineCase{"N,0,0,0,A\rB", "N", 0, 0, 0, {"A\rB"}}, LineCase{"N,0,0,0, \rA", "N", 0, 0, 0, {}},
        // A number is read from its sign; a sign without digits is 0; values saturate at 32 bits.
        LineCase{"N,-,+5x,99999999999,T", "N", 0, 5, 2147483647, {"T"}}, LineCase{"N,1-2,3,4,T", "N", 1, 3, 4, {"T"}},
        LineCase{",1,2,3,T", "", 1, 2, 3, {"T"}}, LineCase{"", "", 0, 0, 0, {}}));

TEST(FunctionLineCp932Test, TrailBytesThatLookLikeSeparatorsStayInTheName) {
    // 0x83 0x7C has "|" as trail byte and 0x95 0x5C has "\\"; 0x82 0x2F is not a valid pair but
    // the lead byte still takes the "/" with it, as the Windows code page functions do.
    const std::string target = "\x83\x7C\x95\x5C";
    const CommandFunction f = parseFunctionLine("\x82\x2FName,1,2,3," + target + "|B", TextEncoding::Cp932);
    EXPECT_EQ(f.name, "\x82\x2FName");
    EXPECT_EQ(f.dataDefault, 3);
    EXPECT_EQ(f.targets, (std::vector<std::string>{target, "B"}));
}

} // namespace
} // namespace varnu
