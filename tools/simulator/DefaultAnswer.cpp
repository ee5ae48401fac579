#include "tools/simulator/DefaultAnswer.h"

#include "tools/simulator/LineTiming.h"

#include <algorithm>

namespace varnu::sim {

namespace {

constexpr std::uint8_t kSpeedClass = 0x00;
constexpr std::uint8_t kSpeedFunction = 0x06;
constexpr std::size_t kHeaderSize = 5; // ESC, length, attribute, class, function

Bytes keyOf(std::span<const std::uint8_t> frame, std::size_t itemCount) {
    // Sized once and filled: GCC 12 at -O2 misreads an insert after a two-byte start as out of bounds.
    const auto items = frame.subspan(kHeaderSize, itemCount);
    Bytes key(2 + items.size());
    key[0] = frame[3];
    key[1] = frame[4];
    std::copy(items.begin(), items.end(), key.begin() + 2);
    return key;
}

} // namespace

std::uint8_t ProjectorMemory::valueFor(const Bytes& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? kUnsetValue : found->second;
}

bool isSpeedCommand(std::span<const std::uint8_t> frame) {
    static constexpr std::uint8_t kHead[] = {0x1B, 0x07, kAttributeSet, kSpeedClass, kSpeedFunction};
    return frame.size() == 7 && std::equal(std::begin(kHead), std::end(kHead), frame.begin());
}

bool isSpeedQuery(std::span<const std::uint8_t> frame) {
    static constexpr std::uint8_t kQuery[] = {0x1B, 0x06, kAttributeGet, kSpeedClass, kSpeedFunction, 0xF2};
    return std::ranges::equal(frame, kQuery);
}

std::vector<Action> defaultAnswer(std::span<const std::uint8_t> frame, ProjectorMemory& memory, int speedCode) {
    using K = Action::Kind;
    if (frame.size() < kMinCommandSize || !hasValidChecksum(frame))
        return {{.kind = K::Nak}};

    if (isSpeedCommand(frame)) {
        // An unknown code is acknowledged and changes nothing, as the client does with it.
        const int code = frame[5];
        if (!baudForSpeedCode(code))
            return {{.kind = K::Ack}};
        return {{.kind = K::Ack}, {.kind = K::Speed, .count = code}};
    }
    if (isSpeedQuery(frame)) {
        const Bytes body{kAttributeGet, kSpeedClass, kSpeedFunction, static_cast<std::uint8_t>(speedCode)};
        return {{.kind = K::Ack}, {.kind = K::Frame, .bytes = body}};
    }

    const std::size_t itemCount = frame.size() - kMinCommandSize;
    switch (frame[2]) {
    case kAttributeSet:
        // The last item is the data byte; the items before it say where it goes.
        if (itemCount > 0)
            memory.store(keyOf(frame, itemCount - 1), frame[frame.size() - 2]);
        return {{.kind = K::Ack}};
    case kAttributeGet: {
        Bytes body(frame.begin() + 2, frame.end() - 1);
        body.push_back(memory.valueFor(keyOf(frame, itemCount)));
        if (body.size() + 3 > kMaxFrameSize)
            return {{.kind = K::Nak}};
        return {{.kind = K::Ack}, {.kind = K::Frame, .bytes = std::move(body)}};
    }
    case kAttributeReset:
        memory.forget(keyOf(frame, itemCount));
        return {{.kind = K::Ack}};
    default:
        return {{.kind = K::Nak}};
    }
}

} // namespace varnu::sim
