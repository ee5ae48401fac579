#include "transmit_list/TransmitList.h"

#include "transmit_list/EntryText.h"

#include <algorithm>
#include <iterator>

namespace varnu {

TransmitList::TransmitList() = default;

TransmitList::TransmitList(EntryMetrics metrics) : metrics_(std::move(metrics)) {}

void TransmitList::setMetrics(EntryMetrics metrics) {
    metrics_ = std::move(metrics);
}

int TransmitList::textWidth(std::string_view text) const {
    return metrics_.textWidth ? metrics_.textWidth(text) : static_cast<int>(text.size());
}

int TransmitList::itemRightEdge(int i) const {
    return metrics_.itemRightEdge ? metrics_.itemRightEdge(i) : 0;
}

void TransmitList::select(int i) {
    if (i >= 0 && i < count())
        selection_ = i;
    else
        selection_.reset();
}

void TransmitList::addEntry(std::string text) {
    const int width = textWidth(text);
    entries_.push_back(std::move(text));
    modified_ = true;
    selection_ = count() - 1;
    if (width > maxEntryWidth_) {
        maxEntryWidth_ = width;
        if (itemRightEdge(count() - 1) < maxEntryWidth_)
            horizontalExtent_ = maxEntryWidth_;
    }
}

void TransmitList::deleteEntry() {
    if (!selection_)
        return;
    const int removed = *selection_;
    entries_.erase(entries_.begin() + removed);
    modified_ = true;
    if (removed > 0)
        selection_ = removed - 1;
    else
        selection_.reset();

    maxEntryWidth_ = 0;
    for (int i = 0; i < count(); ++i) {
        std::string& entry = entries_[static_cast<std::size_t>(i)];
        if (i >= removed)
            entry = entryNumberPrefix(i + 1) + std::string(frameTextOf(entry));
        maxEntryWidth_ = std::max(maxEntryWidth_, textWidth(entry));
    }
    if (entries_.empty() || maxEntryWidth_ <= itemRightEdge(0))
        maxEntryWidth_ = 0;
    horizontalExtent_ = maxEntryWidth_;
}

void TransmitList::removeAll() {
    modified_ = modified_ || !entries_.empty();
    entries_.clear();
    selection_.reset();
    maxEntryWidth_ = 0;
}

void TransmitList::appendEntry(std::string text) {
    entries_.push_back(std::move(text));
    modified_ = true;
}

void TransmitList::appendEntries(std::vector<std::string> texts) {
    modified_ = modified_ || !texts.empty();
    if (entries_.empty())
        entries_ = std::move(texts);
    else
        entries_.insert(entries_.end(), std::make_move_iterator(texts.begin()), std::make_move_iterator(texts.end()));
}

void TransmitList::applyOpenWidth() {
    // The entry with the most characters (the first of equals) stands for the widest.
    auto longest = std::max_element(entries_.begin(), entries_.end(),
                                    [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    maxEntryWidth_ = longest == entries_.end() ? 0 : textWidth(*longest);
    if (!entries_.empty() && maxEntryWidth_ <= itemRightEdge(0))
        maxEntryWidth_ = 0;
    horizontalExtent_ = maxEntryWidth_;
    selection_.reset();
}

} // namespace varnu
