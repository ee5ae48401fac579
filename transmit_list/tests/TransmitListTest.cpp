#include "transmit_list/TransmitList.h"

#include <gtest/gtest.h>

namespace varnu {
namespace {

// Ten pixels per character; the item area is `visibleWidth` pixels wide.
struct FakeView {
    int visibleWidth = 200;
    std::vector<int> rightEdgeAsked;
    EntryMetrics metrics() {
        return {[](std::string_view text) { return static_cast<int>(text.size()) * 10; },
                [this](int i) {
                    rightEdgeAsked.push_back(i);
                    return visibleWidth;
                }};
    }
};

TransmitList listOf(std::initializer_list<const char*> texts, EntryMetrics metrics = {}) {
    TransmitList list(std::move(metrics));
    for (const char* text : texts)
        list.addEntry(text);
    return list;
}

TEST(TransmitList, AddAppendsAndSelects) {
    TransmitList list = listOf({"(1) ESC 06 02 00 00 F8", "(2) ESC 06 02 00 01 F7"});
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.text(1), "(2) ESC 06 02 00 01 F7");
    EXPECT_EQ(list.selection(), 1);
}

TEST(TransmitList, DeleteRenumbersAndMovesTheSelectionBack) {
    TransmitList list = listOf({"(1) ESC 06 02 00 00 F8", "(2) ESC 06 02 00 01 F7", "(3) ESC 06 02 00 02 F6"});
    list.select(0);
    list.deleteEntry();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"(1) ESC 06 02 00 01 F7", "(2) ESC 06 02 00 02 F6"}));
    EXPECT_EQ(list.selection(), std::nullopt);

    list.deleteEntry(); // no selection: nothing happens
    EXPECT_EQ(list.count(), 2);

    list.select(1);
    list.deleteEntry();
    EXPECT_EQ(list.entries(), (std::vector<std::string>{"(1) ESC 06 02 00 01 F7"}));
    EXPECT_EQ(list.selection(), 0);

    list.deleteEntry();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.selection(), std::nullopt);
}

TEST(TransmitList, RenumberingKeepsTheFrameTextAndCrossesTen) {
    TransmitList list;
    for (int i = 1; i <= 11; ++i)
        list.addEntry("(" + std::to_string(i) + ") ESC 06 02 00 00 F8");
    list.select(1);
    list.deleteEntry();
    EXPECT_EQ(list.text(8), "(9) ESC 06 02 00 00 F8");
    EXPECT_EQ(list.text(9), "(10) ESC 06 02 00 00 F8");
}

TEST(TransmitList, SelectingOutsideTheListClearsTheSelection) {
    TransmitList list = listOf({"(1) ESC 06 02 00 00 F8"});
    list.select(3);
    EXPECT_EQ(list.selection(), std::nullopt);
    list.select(0);
    EXPECT_EQ(list.selection(), 0);
    list.select(-1);
    EXPECT_EQ(list.selection(), std::nullopt);
}

TEST(TransmitList, AddOnlyGrowsTheExtentPastTheVisibleArea) {
    FakeView view;
    TransmitList list(view.metrics());
    list.addEntry(std::string(15, 'x')); // 150 px: wider than any so far, but visible
    EXPECT_EQ(list.maxEntryWidth(), 150);
    EXPECT_EQ(list.horizontalExtent(), 0);
    list.addEntry(std::string(25, 'x')); // 250 px past a 200 px area
    EXPECT_EQ(list.horizontalExtent(), 250);
    EXPECT_EQ(view.rightEdgeAsked.back(), 1); // measured against the new, last entry
    list.addEntry(std::string(5, 'x'));
    EXPECT_EQ(list.maxEntryWidth(), 250);
    EXPECT_EQ(list.horizontalExtent(), 250);
}

TEST(TransmitList, DeleteMeasuresAgainAndDropsScrollingThatIsNoLongerNeeded) {
    FakeView view;
    TransmitList list(view.metrics());
    list.addEntry("(1) ESC " + std::string(30, 'x')); // 380 px
    list.addEntry("(2) ESC 06");                      // 100 px
    list.select(0);
    list.deleteEntry();
    EXPECT_EQ(list.text(0), "(1) ESC 06");
    EXPECT_EQ(list.maxEntryWidth(), 0); // 100 px fits the 200 px area
    EXPECT_EQ(list.horizontalExtent(), 0);

    view.visibleWidth = 50;
    list.addEntry("(2) ESC 0606"); // 120 px
    list.select(1);
    list.deleteEntry();
    EXPECT_EQ(list.maxEntryWidth(), 100);
    EXPECT_EQ(list.horizontalExtent(), 100);
}

TEST(TransmitList, OpenWidthComesFromTheEntryWithMostCharacters) {
    FakeView view;
    // Widths that do not follow the character count show which entry was measured.
    EntryMetrics metrics = view.metrics();
    metrics.textWidth = [](std::string_view text) { return text.front() == 'w' ? 900 : 300; };
    TransmitList list(metrics);
    list.addEntry("selected");
    list.removeAll();
    EXPECT_EQ(list.maxEntryWidth(), 0);
    list.appendEntry("short");
    list.appendEntry("long entry");
    list.appendEntry("wide entry"); // as long, but the first of equals counts
    list.applyOpenWidth();
    EXPECT_EQ(list.maxEntryWidth(), 300);
    EXPECT_EQ(list.horizontalExtent(), 300);
    EXPECT_EQ(list.selection(), std::nullopt);

    list.removeAll();
    list.applyOpenWidth();
    EXPECT_EQ(list.horizontalExtent(), 0);
}

} // namespace
} // namespace varnu
