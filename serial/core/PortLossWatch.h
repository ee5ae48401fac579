#pragma once
// When a port was lost during a run, noted after each entry and kept from the first time. The
// run itself goes on and fails the later entries at once; the loss is told once.

#include "serial/core/PortFailure.h"

#include <cstddef>
#include <optional>

namespace varnu {

class PortLossWatch {
public:
    // After entry `index` (from 0), with what the link says of its port now: true the first time
    // the port is found lost.
    bool lostAfterEntry(std::size_t index, std::optional<PortFailure> lostNow) {
        if (lost_ || !lostNow)
            return false;
        lost_ = std::move(lostNow);
        lostAtEntry_ = index + 1;
        return true;
    }

    // Why the port was lost, and the entry (from 1) during which it went.
    const std::optional<PortFailure>& lost() const { return lost_; }
    std::size_t lostAtEntry() const { return lostAtEntry_; }

private:
    std::optional<PortFailure> lost_;
    std::size_t lostAtEntry_ = 0;
};

} // namespace varnu
