#include "catalogue/CatalogueLoader.h"
#include "files/testing/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace varnu {
namespace {

using Codes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

std::string readFixture(const std::string& name) {
    std::ifstream in(std::string(VARNU_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

Catalogue load(const std::string& text, bool expectOk = true) {
    Catalogue catalogue;
    const CatalogueLoadResult result = loadCatalogue(std::optional<std::string>(text), catalogue);
    EXPECT_EQ(result.ok, expectOk);
    return catalogue;
}

Names groupNames(const Catalogue& catalogue) {
    Names names;
    for (const CommandGroup& group : catalogue.groups)
        names.push_back(group.name);
    return names;
}

Names formNames(const Catalogue& catalogue) {
    Names names;
    for (const TargetForm& form : catalogue.forms)
        names.push_back(form.name);
    return names;
}

// What every successful load guarantees: each target name finds its form, each list ends.
void expectLoadInvariants(const Catalogue& catalogue) {
    for (const CommandGroup& g : catalogue.groups) {
        for (const CommandFunction& f : g.functions) {
            for (const std::string& t : f.targets)
                EXPECT_NE(catalogue.findForm(t), nullptr) << t;
        }
    }
    for (const TargetForm& form : catalogue.forms) {
        EXPECT_EQ(form.codesFor(FormPass::Write).back(), End);
        EXPECT_EQ(form.codesFor(FormPass::Read).back(), End);
    }
}

TEST(CatalogueLoaderTest, LoadsTheSampleFileOfTwoClassesAndTwoTargets) {
    const Catalogue c = load(readFixture("worked_example.ini"));
    ASSERT_EQ(groupNames(c), (Names{"Image", "System"}));
    ASSERT_EQ(c.groups[0].functions.size(), 2u);
    const CommandFunction& level = c.groups[0].functions[0];
    EXPECT_EQ(level.name, "Level");
    EXPECT_EQ(level.dataMin, -128);
    EXPECT_EQ(level.dataMax, 127);
    EXPECT_EQ(level.dataDefault, 0);
    EXPECT_EQ(level.targets, (Names{"Unit", "Panel"}));
    EXPECT_EQ(c.groups[0].functions[1].targets, (Names{"Unit"}));
    EXPECT_EQ(c.dataDefault(1, 0), 1);
    EXPECT_EQ(c.groups[1].functions[0].dataMax, 255);

    ASSERT_EQ(formNames(c), (Names{"Unit", "Panel"}));
    const TargetForm& unit = *c.findForm("Unit");
    EXPECT_EQ(unit.codesFor(FormPass::Write), (Codes{3, 21, 22, 20, 255}));
    EXPECT_EQ(unit.codesFor(FormPass::Read), (Codes{3, 21, 22, 5, 20, 255}));
    EXPECT_EQ(unit.fixedSlave, (std::array<std::uint32_t, 2>{0x1F, 0x1F}));
    EXPECT_EQ(unit.dataPrompt, kPromptReadByte);
    EXPECT_EQ(unit.slavePrompt, kPromptSlaveAddress);
    EXPECT_EQ(unit.addressPrompt, kPromptStartingAddress);
    EXPECT_EQ(unit.multiPrompt, kPromptDataMatrix);
    const TargetForm& panel = *c.findForm("Panel");
    EXPECT_EQ(panel.codesFor(FormPass::Write), (Codes{21, 22, 25, 26, 27, 255}));
    EXPECT_EQ(panel.codesFor(FormPass::Read), (Codes{21, 22, 25, 26, 5, 20, 255}));
    EXPECT_EQ(panel.fixedAddress, (std::array<std::uint32_t, 2>{0x100, 0x100}));
    EXPECT_EQ(panel.addressPrompt, kPromptOffset);
    EXPECT_EQ(panel.dataPrompt, kPromptValueToSet);
}

TEST(CatalogueLoaderTest, FailsWithTheFixedTextAnEmptyCatalogueAndTheReasonWhenThereIsNoClassCount) {
    using enum CatalogueProblem;
    const struct {
        std::optional<std::string> input;
        CatalogueProblem problem;
        int line;
        const char* says;
    } cases[] = {
        {std::nullopt, File, 0, "There is no file \"/x/varnu.ini\""},
        {std::string(), NoGroupSection, 0, "has no [GROUP] section"},
        {std::string("[Other]\nSIZE=2\n"), NoGroupSection, 0, "has no [GROUP] section"},
        {std::string("; classes\n[GROUP]\n0=A\n"), NoClassCount, 2, "has no SIZE in its [GROUP] section (line 2)"},
        {std::string("[GROUP]\nSIZE=0\n0=A\n"), NoClasses, 2, "gives SIZE=0 on line 2 of its [GROUP] section"},
        {std::string("[GROUP]\r\n\r\nSIZE=two\r\n"), NoClasses, 3, "gives SIZE=two on line 3"},
    };
    for (const auto& c : cases) {
        Catalogue catalogue;
        catalogue.groups.resize(3); // left over from an earlier load
        const CatalogueLoadResult result = loadCatalogue(c.input, catalogue);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.message, "Initialization file not found\nor format is incorrect.");
        EXPECT_EQ(result.fault.problem, c.problem) << c.says;
        EXPECT_EQ(result.fault.line, c.line) << c.says;
        const std::string explanation = explainCatalogueFault(result.fault, "/x/varnu.ini");
        EXPECT_NE(explanation.find(c.says), std::string::npos) << explanation;
        EXPECT_TRUE(catalogue.groups.empty());
        EXPECT_TRUE(catalogue.forms.empty());
    }
}

// The window and varnu-cli read through here: a leading byte-order mark costs no entry, and a
// file that is no catalogue is refused with its reason.
TEST(CatalogueLoaderTest, ReadsTheFileByNameAndExplainsWhatMadeItUnusable) {
    const testing::TemporaryFolder folder("varnu-catalogue-test");
    const std::string dir = folder.path().string();
    const std::string path = folder.file("bom.ini", "\xEF\xBB\xBF[GROUP]\r\nSIZE=1\r\n0=A\r\n");
    Catalogue catalogue;
    const CatalogueLoadResult loaded = loadCatalogueFile(path, catalogue);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(loaded.explanation, "");
    EXPECT_EQ(groupNames(catalogue), (Names{"A"}));

    for (const std::string& unusable : {dir, std::string("/dev/zero"), dir + "/varnu-no-such.ini"}) {
        const CatalogueLoadResult result = loadCatalogueFile(unusable, catalogue);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.fault.problem, CatalogueProblem::File);
        EXPECT_NE(result.explanation.find("\"" + unusable + "\""), std::string::npos) << result.explanation;
        EXPECT_TRUE(catalogue.groups.empty());
    }
}

TEST(CatalogueLoaderTest, MissingEntriesGetDefaultsAndEmptyOnesAreSkipped) {
    EXPECT_EQ(groupNames(load("[GROUP]\nSIZE=3\n0=A\n2=C\n")), (Names{"A", "NoGroup", "C"}));
    EXPECT_EQ(groupNames(load("[GROUP]\nSIZE=3\n0=A\n1=\n2=C\n")), (Names{"A", "C"}));
    EXPECT_TRUE(load("[GROUP]\nSIZE=2\n0=\n1=  \n").groups.empty());

    const Catalogue c = load("[GROUP]\nSIZE=2\n0=A\n1=Gone\n[A]\nSIZE=3\n0=F,1,2,3,T\n2=\n");
    ASSERT_EQ(c.groups.size(), 2u);
    ASSERT_EQ(c.groups[0].functions.size(), 2u); // "F", then "NoItem" for key 1; key 2 is empty
    EXPECT_EQ(c.groups[0].functions[1].name, "NoItem");
    EXPECT_TRUE(c.groups[0].functions[1].targets.empty());
    EXPECT_TRUE(c.groups[1].functions.empty()); // no section: no functions

    // A target without a section reads its lists as "NoForm"; an empty WRITE is End alone.
    const TargetForm& t = *c.findForm("T");
    EXPECT_EQ(t.codesFor(FormPass::Write), (Codes{0, 255}));
    EXPECT_EQ(t.codesFor(FormPass::Read), (Codes{0, 255}));
    const Catalogue e = load("[GROUP]\nSIZE=1\n0=A\n[A]\nSIZE=1\n0=F,0,0,0,T\n[T]\nWRITE=\n");
    EXPECT_EQ(e.forms[0].codesFor(FormPass::Write), (Codes{255}));
    EXPECT_EQ(e.forms[0].codesFor(FormPass::Read), (Codes{0, 255}));
}

TEST(CatalogueLoaderTest, OneFormPerNameWithLetterCaseInFirstUseOrder) {
    const Catalogue c = load("[GROUP]\nSIZE=2\n0=A\n1=B\n"
                             "[A]\nSIZE=2\n0=F,0,0,0,B A\n1=G,0,0,0,Main\n"
                             "[B]\nSIZE=1\n0=H,0,0,0,MAIN Main A\n"
                             "[main]\nWRITE=D\nM=RGB\nS=rgb\n");
    EXPECT_EQ(formNames(c), (Names{"B", "A", "Main", "MAIN"}));
    // Both spellings read the one section "main".
    for (const char* name : {"Main", "MAIN"}) {
        const TargetForm* form = c.findForm(name);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->codesFor(FormPass::Write), (Codes{20, 255}));
        EXPECT_EQ(form->multiPrompt, kPromptRgb);
        EXPECT_EQ(form->slavePrompt, kPromptSlaveAddress); // keywords match with letter case
    }
    EXPECT_EQ(c.findForm("main"), nullptr);
}

TEST(CatalogueLoaderTest, EveryKeywordSelectsItsPromptOnEveryKey) {
    const Catalogue c = load("[GROUP]\nSIZE=1\n0=A\n[A]\nSIZE=1\n0=F,0,0,0,T U\n"
                             "[T]\nS=FIRST\nA=READBYTE\nD=OFFSET\nM=RGB\n[U]\nS=Offset\nA=\nD=READBYTE \n");
    const TargetForm& t = c.forms[0];
    EXPECT_EQ(t.slavePrompt, kPromptFirst);
    EXPECT_EQ(t.addressPrompt, kPromptReadByte);
    EXPECT_EQ(t.dataPrompt, kPromptOffset);
    EXPECT_EQ(t.multiPrompt, kPromptRgb);
    const TargetForm& u = c.forms[1];
    EXPECT_EQ(u.slavePrompt, kPromptSlaveAddress);
    EXPECT_EQ(u.addressPrompt, kPromptStartingAddress);
    EXPECT_EQ(u.dataPrompt, kPromptReadByte); // the trailing blank is trimmed by the reader
}

TEST(CatalogueLoaderTest, CountsTooLargeOrNegativeFailInsteadOfRunningAway) {
    using enum CatalogueProblem;
    const std::string classes = "[GROUP]\nSIZE=1\n0=A\n[A]\nSIZE=";
    const struct {
        std::string text;
        CatalogueProblem problem;
        int line;
        const char* says;
    } damaged[] = {
        {"[GROUP]\nSIZE=4000000000\n", CountOutOfRange, 2, "SIZE=4000000000 on line 2 of the section [GROUP]"},
        {"[GROUP]\nSIZE=-1\n", CountOutOfRange, 2, "between 0 and 1,000,000"},
        {"[GROUP]\nSIZE=99999999999999999999999\n", CountOutOfRange, 2, "SIZE=99999999999999999999999"},
        {"[GROUP]\nSIZE=1000001\n", CountOutOfRange, 2, "SIZE=1000001"},
        {classes + "4000000000\n", CountOutOfRange, 5, "line 5 of the section [A]"},
        {classes + "-5\n0=F\n", CountOutOfRange, 5, "SIZE=-5"},
        // 1000 classes named alike share one section of 1000 entries: 1000 + 1,000,000 entries
        // in all pass the limit of 1,000,000.
        {"[GROUP]\nSIZE=1000\n[NoGroup]\nSIZE=1000\n", TooManyEntries, 4, "passing that limit at SIZE=1000 on line 4"},
    };
    for (const auto& d : damaged) {
        Catalogue catalogue;
        const CatalogueLoadResult result = loadCatalogue(std::optional<std::string>(d.text), catalogue);
        EXPECT_FALSE(result) << d.text;
        EXPECT_EQ(result.fault.problem, d.problem) << d.text;
        EXPECT_EQ(result.fault.line, d.line) << d.text;
        const std::string explanation = explainCatalogueFault(result.fault, "/x/varnu.ini");
        EXPECT_NE(explanation.find(d.says), std::string::npos) << explanation;
        EXPECT_TRUE(catalogue.groups.empty());
    }
    const Catalogue atLimit = load("[GROUP]\nSIZE=1000\n[NoGroup]\nSIZE=999\n");
    EXPECT_EQ(atLimit.groups.size(), 1000u);
    EXPECT_EQ(atLimit.groups.back().functions.size(), 999u);
}

// Truncated, overwritten with separators, brackets, digits and lead bytes, or binary: every
// load either fails or gives a catalogue whose target names all find their form.
TEST(CatalogueLoaderTest, DamagedFilesLoadOrFailCleanly) {
    const std::string good = readFixture("worked_example.ini");
    std::vector<std::string> damaged;
    for (std::size_t cut = 0; cut < good.size(); cut += 7)
        damaged.push_back(good.substr(0, cut));
    const std::string alphabet = ",;:/| ()+-059SADMLH[]=\r\n\t\x81\x95\xE0\xFC\x5C\x7C";
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::string& text = damaged.emplace_back(good);
        for (int k = 0; k < 8; ++k)
            text[random() % text.size()] = alphabet[random() % alphabet.size()];
    }
    for (const std::string& text : damaged) {
        Catalogue catalogue;
        if (loadCatalogue(std::optional<std::string>(text), catalogue))
            expectLoadInvariants(catalogue);
    }

    std::string binary = "[GROUP]\nSIZE=2\n0=";
    for (int i = 0; i < 2000; ++i)
        binary.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    Catalogue catalogue;
    EXPECT_TRUE(loadCatalogue(std::optional<std::string>(binary + "\n["), catalogue));
    EXPECT_EQ(catalogue.encoding, TextEncoding::Cp932);
    for (const CommandGroup& g : catalogue.groups)
        EXPECT_LE(g.name.size(), ProfileFile::kMaxValueLength);
}

TEST(CatalogueLoaderTest, HundredThousandFunctionsLoad) {
    constexpr int kClasses = 400;
    constexpr int kPerClass = 250;
    std::string text = "[GROUP]\nSIZE=" + std::to_string(kClasses) + "\n";
    for (int i = 0; i < kClasses; ++i)
        text += std::to_string(i) + "=Class " + std::to_string(i) + "\n";
    for (int i = 0; i < kClasses; ++i) {
        text += "[Class " + std::to_string(i) + "]\nSIZE=" + std::to_string(kPerClass) + "\n";
        for (int j = 0; j < kPerClass; ++j)
            text += std::to_string(j) + "=F" + std::to_string(j) + ",0,255,0,T" +
                    std::to_string((i * kPerClass + j) % 5000) + "\n";
    }
    const Catalogue c = load(text);
    ASSERT_EQ(c.groups.size(), static_cast<std::size_t>(kClasses));
    EXPECT_EQ(c.groups.back().functions.size(), static_cast<std::size_t>(kPerClass));
    EXPECT_EQ(c.groups.back().functions.back().targets, (Names{"T4999"}));
    EXPECT_EQ(c.forms.size(), 5000u);
}

} // namespace
} // namespace varnu
