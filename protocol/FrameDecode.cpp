#include "protocol/FrameDecode.h"

#include "protocol/FrameText.h"
#include "protocol/LinkControl.h"
#include "serial/core/Link.h"

#include <algorithm>
#include <numeric>

namespace varnu {

namespace {

// A frame carries the attribute plus 1: 01 Set, 02 Get, 03 Reset.
constexpr std::size_t kAddressBytes = 3;

// One step of a layout: a literal, a field item, or a group (the literal 5, its count byte
// and the field items it counts).
struct LayoutStep {
    ItemRole role = ItemRole::Literal; // Literal, Field, or GroupCount for a group
    std::uint8_t code = 0;
    std::int32_t offset = 0;
    std::size_t width = 0; // bytes of a field item; 0 for a Multi
    std::vector<LayoutStep> members{};
};

bool isMulti(const LayoutStep& step) {
    return step.role == ItemRole::Field && step.code == Multi;
}

std::int32_t offsetOf(std::uint8_t code, const TargetForm& form, std::size_t pass) {
    if (code == DataOffset)
        return form.dataOffset[pass];
    if (code == SlaveOffset)
        return form.slaveOffset[pass];
    return 0;
}

LayoutStep fieldStep(const std::vector<std::uint8_t>& codes, std::size_t p, const TargetForm& form, std::size_t pass) {
    const std::uint8_t code = codes[p];
    LayoutStep step{.role = ItemRole::Field, .code = code, .offset = offsetOf(code, form, pass)};
    switch (code) {
    case Slave:
    case Address:
    case SlaveOffset:
        step.width = p > 0 && codes[p - 1] == kOneByteAddressCode ? 1 : kAddressBytes;
        break;
    case Multi:
        step.width = 0;
        break;
    default:
        step.width = 1;
        break;
    }
    return step;
}

// The code list of `pass` as steps, up to its End.
std::vector<LayoutStep> layoutSteps(const TargetForm& form, FormPass pass) {
    const std::vector<std::uint8_t>& codes = form.codesFor(pass);
    const auto slot = static_cast<std::size_t>(pass);
    std::vector<LayoutStep> steps;
    for (std::size_t p = 0; p < codes.size() && codes[p] != End; ++p) {
        if (isFieldCode(codes[p])) {
            steps.push_back(fieldStep(codes, p, form, slot));
            continue;
        }
        steps.push_back({.role = ItemRole::Literal, .code = codes[p]});
        if (codes[p] != kGroupCode)
            continue;
        LayoutStep group{.role = ItemRole::GroupCount, .code = kGroupCode};
        while (p + 1 < codes.size() && isFieldCode(codes[p + 1]))
            group.members.push_back(fieldStep(codes, ++p, form, slot));
        steps.push_back(std::move(group));
    }
    return steps;
}

// The fewest bytes a step takes: a Multi may be empty.
std::size_t leastBytes(const LayoutStep& step) {
    switch (step.role) {
    case ItemRole::Field:
        return step.width;
    case ItemRole::GroupCount:
        return std::accumulate(step.members.begin(), step.members.end(), std::size_t{1},
                               [](std::size_t sum, const LayoutStep& member) { return sum + leastBytes(member); });
    default:
        return 1;
    }
}

std::size_t multiCount(const std::vector<LayoutStep>& steps) {
    std::size_t count = 0;
    for (const LayoutStep& step : steps)
        count += isMulti(step) ? 1 : multiCount(step.members);
    return count;
}

// Walks the steps over the item bytes and collects what each one holds; nothing when the
// bytes do not fit. `reply` lets bytes stay after the last step (a data frame's report).
class LayoutMatcher {
public:
    LayoutMatcher(std::span<const std::uint8_t> items, bool reply) : items_(items), reply_(reply) {}

    // Every Multi item is the one Multi bytes field, so all of them have its length: the
    // longest that lets the whole layout fit.
    std::optional<std::vector<DecodedItem>> match(const std::vector<LayoutStep>& steps) {
        const std::size_t least =
            std::accumulate(steps.begin(), steps.end(), std::size_t{0},
                            [](std::size_t sum, const LayoutStep& step) { return sum + leastBytes(step); });
        if (least > items_.size())
            return std::nullopt;
        const std::size_t multis = multiCount(steps);
        for (std::size_t multi = multis == 0 ? 0 : (items_.size() - least) / multis;; --multi) {
            pos_ = 0;
            decoded_.clear();
            multiWidth_ = multi;
            if (matchRun(steps, items_.size(), false, !reply_)) {
                if (pos_ < items_.size())
                    take(ItemRole::Reply, 0, 0, false, items_.size() - pos_);
                return std::move(decoded_);
            }
            if (multi == 0)
                return std::nullopt;
        }
    }

private:
    // Matches a run of steps from the current position; it ends at `limit` when `exact`, at or
    // before it otherwise.
    bool matchRun(const std::vector<LayoutStep>& steps, std::size_t limit, bool inGroup, bool exact) {
        for (const LayoutStep& step : steps) {
            if (step.role == ItemRole::Literal) {
                if (pos_ >= limit || items_[pos_] != step.code)
                    return false;
                take(ItemRole::Literal, step.code, 0, inGroup, 1);
            } else if (step.role == ItemRole::GroupCount) {
                if (!matchGroup(step, limit))
                    return false;
            } else {
                const std::size_t width = isMulti(step) ? multiWidth_ : step.width;
                if (pos_ + width > limit)
                    return false;
                take(ItemRole::Field, step.code, step.offset, inGroup, width);
            }
        }
        return !exact || pos_ == limit;
    }

    // The count byte says how many bytes the group's items take, exactly.
    bool matchGroup(const LayoutStep& group, std::size_t limit) {
        if (pos_ >= limit)
            return false;
        const std::size_t end = pos_ + 1 + items_[pos_];
        if (end > limit)
            return false;
        take(ItemRole::GroupCount, kGroupCode, 0, false, 1);
        return matchRun(group.members, end, true, true);
    }

    void take(ItemRole role, std::uint8_t code, std::int32_t offset, bool inGroup, std::size_t count) {
        const auto bytes = items_.subspan(pos_, count);
        decoded_.push_back({role, code, offset, inGroup, {bytes.begin(), bytes.end()}});
        pos_ += count;
    }

    std::span<const std::uint8_t> items_;
    bool reply_;
    std::size_t multiWidth_ = 0;
    std::size_t pos_ = 0;
    std::vector<DecodedItem> decoded_;
};

void readLinkFrame(FrameDecode& decode) {
    if (const auto speed = portSpeedCode(decode.bytes)) {
        decode.link = LinkFrame::PortSpeedCommand;
        decode.speedCode = *speed;
        decode.baudRate = baudRateForSpeedCode(*speed);
    } else if (isSpeedQuery(decode.bytes)) {
        decode.link = LinkFrame::SpeedQuery;
    } else if (const auto mouse = mousePortCommand(decode.bytes)) {
        decode.link = *mouse == MousePortCommand::Enable ? LinkFrame::MousePortEnable : LinkFrame::MousePortDisable;
    }
}

// Every distinct target of the function whose layout fits the items.
void findFits(FrameDecode& decode, const CommandFunction& function, const Catalogue& catalogue, FormPass pass) {
    const std::span<const std::uint8_t> items =
        std::span(decode.bytes).subspan(kFirstItemPosition, decode.bytes.size() - kFrameOverheadBytes);
    std::vector<std::string_view> tried;
    for (const std::string& target : function.targets) {
        if (std::find(tried.begin(), tried.end(), target) != tried.end())
            continue;
        tried.push_back(target);
        const TargetForm* form = catalogue.findForm(target);
        if (form == nullptr)
            continue;
        auto fitted = LayoutMatcher(items, decode.origin == FrameOrigin::Received).match(layoutSteps(*form, pass));
        if (fitted)
            decode.fits.push_back({target, std::move(*fitted)});
    }
    if (decode.fits.empty())
        decode.faults.push_back(FrameFault::NoFittingTarget);
}

} // namespace

bool FrameDecode::has(FrameFault fault) const {
    return std::find(faults.begin(), faults.end(), fault) != faults.end();
}

FrameDecode decodeFrame(std::span<const std::uint8_t> frame, const Catalogue& catalogue, FrameOrigin origin) {
    FrameDecode decode;
    decode.origin = origin;
    decode.bytes.assign(frame.begin(), frame.end());
    if (frame.empty() || frame[0] != kEsc) {
        decode.faults.push_back(FrameFault::NoEsc);
        return decode;
    }
    if (frame.size() < static_cast<std::size_t>(kFrameOverheadBytes)) {
        decode.faults.push_back(FrameFault::TooShort);
        return decode;
    }

    if (frame[kLengthPosition] != frame.size())
        decode.faults.push_back(FrameFault::LengthByte);
    decode.expectedChecksum = checksumFor(frame.subspan(kLengthPosition, frame.size() - 2));
    if (decode.expectedChecksum != frame.back())
        decode.faults.push_back(FrameFault::Checksum);

    decode.attributeCode = frame[kAttributePosition];
    decode.attribute = attributeOfCode(decode.attributeCode);
    if (!decode.attribute && origin == FrameOrigin::Sent)
        decode.faults.push_back(FrameFault::UnknownAttribute);
    decode.classNumber = frame[kClassPosition];
    decode.functionNumber = frame[kFunctionPosition];
    readLinkFrame(decode);

    if (decode.classNumber >= catalogue.groups.size()) {
        decode.faults.push_back(FrameFault::UnknownClass);
        return decode;
    }
    const CommandGroup& group = catalogue.groups[decode.classNumber];
    decode.className = group.name;
    if (decode.functionNumber >= group.functions.size()) {
        decode.faults.push_back(FrameFault::UnknownFunction);
        return decode;
    }
    const CommandFunction& function = group.functions[decode.functionNumber];
    decode.functionName = function.name;
    decode.signedData = function.dataMin < 0;

    // A data frame with a code of its own answers a read.
    if (decode.attribute || origin == FrameOrigin::Received)
        findFits(decode, function, catalogue, passFor(decode.attribute.value_or(Attribute::Get)));
    return decode;
}

} // namespace varnu
