#pragma once
// The Transmit List as a model: the ordered entry texts, the selection, and the widths that
// decide the list view's horizontal scrolling. The view supplies pixel measurements.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnu {

// How the view measures: the pixel width of a text, and the right edge of the item rectangle
// of entry i (for a list not scrolled sideways, the width of the visible item area).
struct EntryMetrics {
    std::function<int(std::string_view)> textWidth;
    std::function<int(int)> itemRightEdge;
};

class TransmitList {
public:
    // Without metrics a text is as wide as its characters and the item area has no width.
    TransmitList();
    explicit TransmitList(EntryMetrics metrics);

    void setMetrics(EntryMetrics metrics);

    int count() const { return static_cast<int>(entries_.size()); }
    const std::string& text(int i) const { return entries_.at(static_cast<std::size_t>(i)); }
    const std::vector<std::string>& entries() const { return entries_; }

    std::optional<int> selection() const { return selection_; }
    // An index outside the list clears the selection.
    void select(int i);

    // Add: appends a composed entry, selects it, and widens the extent when it is wider
    // than every entry so far (the extent only grows here).
    void addEntry(std::string text);
    // Removes the selected entry, renumbers those after it and measures the widths afresh.
    // Selects the entry before it, or nothing when it was the first. No selection: no change.
    void deleteEntry();

    // Open's steps: removeAll, the accepted lines appended, then applyOpenWidth.
    // removeAll leaves the extent alone: a failed Open does not set it again.
    void removeAll();
    void appendEntry(std::string text);
    void appendEntries(std::vector<std::string> texts);
    void applyOpenWidth();

    int maxEntryWidth() const { return maxEntryWidth_; }
    int horizontalExtent() const { return horizontalExtent_; }

    // Whether the entries changed since the list was last opened from or saved to a file:
    // Add, Delete and Open's emptying change them; selecting does not. Open and Save call
    // markSaved once the file and the list agree.
    bool modified() const { return modified_; }
    // Nothing would be lost by dropping the list: it is unchanged or empty.
    bool hasUnsavedEntries() const { return modified_ && !entries_.empty(); }
    void markSaved() { modified_ = false; }

private:
    int textWidth(std::string_view text) const;
    int itemRightEdge(int i) const;

    std::vector<std::string> entries_;
    std::optional<int> selection_;
    int maxEntryWidth_ = 0;
    int horizontalExtent_ = 0;
    bool modified_ = false;
    EntryMetrics metrics_;
};

} // namespace varnu
