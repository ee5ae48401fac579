#include "transmit_list/TransmitList.h"

#include "transmit_list/ListFile.h"

#include <functional>
#include <utility>

#include <gtest/gtest.h>

namespace varnu {
namespace {

std::string entry(int number, int function) {
    return "(" + std::to_string(number) + ") ESC 06 02 00 " + std::to_string(10 + function) + " F8";
}

TEST(TransmitList, DeleteRenumbersAndMovesTheSelectionBack) {
    TransmitList list;
    for (int i = 1; i <= 11; ++i)
        list.addEntry(entry(i, i));
    EXPECT_EQ(list.selection(), 10); // Add selects what it appended

    list.select(0);
    list.deleteEntry();
    EXPECT_EQ(list.selection(), std::nullopt);
    EXPECT_EQ(list.text(0), entry(1, 2));
    EXPECT_EQ(list.text(9), entry(10, 11)); // the frame text stays, the number is rebuilt

    list.deleteEntry(); // no selection: nothing happens
    EXPECT_EQ(list.count(), 10);

    list.select(9);
    list.deleteEntry();
    EXPECT_EQ(list.selection(), 8);
    EXPECT_EQ(list.count(), 9);

    list.select(42); // outside the list
    EXPECT_EQ(list.selection(), std::nullopt);
}

// Ten pixels per character; the item area is `visibleWidth` pixels wide.
struct FakeView {
    int visibleWidth = 200;
    int lastItemAsked = -1;
    EntryMetrics metrics() {
        return {[](std::string_view text) { return static_cast<int>(text.size()) * 10; },
                [this](int i) { return lastItemAsked = i, visibleWidth; }};
    }
};

TEST(TransmitList, AddOnlyGrowsTheExtentAndDeleteMeasuresAgain) {
    FakeView view;
    TransmitList list(view.metrics());
    list.addEntry("(1) ESC 06"); // 100 px: the widest so far, but visible
    EXPECT_EQ(list.maxEntryWidth(), 100);
    EXPECT_EQ(list.horizontalExtent(), 0);
    list.addEntry("(2) ESC " + std::string(17, 'x')); // 250 px past a 200 px area
    EXPECT_EQ(list.horizontalExtent(), 250);
    EXPECT_EQ(view.lastItemAsked, 1); // against the new, last entry
    list.addEntry("(3) ESC 07");
    EXPECT_EQ(list.horizontalExtent(), 250);

    list.select(1);
    list.deleteEntry(); // what is left fits: no more scrolling
    EXPECT_EQ(list.maxEntryWidth(), 0);
    EXPECT_EQ(list.horizontalExtent(), 0);
    view.visibleWidth = 50;
    list.select(0);
    list.deleteEntry();
    EXPECT_EQ(list.horizontalExtent(), 100);
    EXPECT_EQ(view.lastItemAsked, 0); // against the first entry
}

TEST(TransmitList, OpenWidthComesFromTheEntryWithMostCharacters) {
    FakeView view;
    EntryMetrics metrics = view.metrics();
    // Widths that do not follow the character count show which entry was measured.
    metrics.textWidth = [](std::string_view text) { return text.front() == 'w' ? 900 : 300; };
    TransmitList list(metrics);
    list.addEntry("selected");
    list.removeAll();
    list.appendEntries({"short", "long entry", "wide entry"}); // the first of equals counts
    list.applyOpenWidth();
    EXPECT_EQ(list.horizontalExtent(), 300);
    EXPECT_EQ(list.selection(), std::nullopt);
}

// What changes the entries marks the list modified until Open or Save marks it saved; the
// selection alone does not, and an empty list has nothing unsaved.
TEST(TransmitList, RemembersWhetherItChangedSinceOpenOrSave) {
    TransmitList list;
    EXPECT_FALSE(list.modified());
    openList(list, "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n");
    EXPECT_FALSE(list.modified());
    list.select(1);
    list.select(-1);
    list.deleteEntry(); // no selection: nothing changes
    EXPECT_FALSE(list.hasUnsavedEntries());

    const std::vector<std::pair<const char*, std::function<void(TransmitList&)>>> changes{
        {"add", [](TransmitList& l) { l.addEntry(entry(3, 1)); }},
        {"delete", [](TransmitList& l) { l.select(0), l.deleteEntry(); }},
        {"append", [](TransmitList& l) { l.appendEntry(entry(3, 1)); }},
    };
    for (const auto& [name, change] : changes) {
        openList(list, "ESC 07 01 00 08 00 F0\r\nESC 07 01 00 08 01 EF\r\n");
        change(list);
        EXPECT_TRUE(list.hasUnsavedEntries()) << name;
        list.markSaved();
        EXPECT_FALSE(list.modified()) << name;
    }

    // Emptying a list changes it, but leaves nothing to save.
    list.removeAll();
    EXPECT_TRUE(list.modified());
    EXPECT_FALSE(list.hasUnsavedEntries());
    openList(list, "rubbish\r\n"); // an Open that takes nothing
    EXPECT_FALSE(list.modified());
}

} // namespace
} // namespace varnu
