#pragma once
// The answers of a plausible projector when no rule covers a frame: it keeps what Set
// commands store and gives it back to Get commands.

#include "tools/simulator/FrameBytes.h"
#include "tools/simulator/Rules.h"

#include <map>
#include <span>
#include <vector>

namespace varnu::sim {

// Values stored by Set, keyed by class, function and the items before the data byte.
class ProjectorMemory {
public:
    static constexpr std::uint8_t kUnsetValue = 0x00;

    void store(const Bytes& key, std::uint8_t value) { values_[key] = value; }
    void forget(const Bytes& key) { values_.erase(key); }
    std::uint8_t valueFor(const Bytes& key) const;

private:
    std::map<Bytes, std::uint8_t> values_;
};

// The port-speed command 1B 07 01 00 06 s KK and the speed query 1B 06 02 00 06 F2.
bool isSpeedCommand(std::span<const std::uint8_t> frame);
bool isSpeedQuery(std::span<const std::uint8_t> frame);

// The answer as actions: NAK for a broken frame, a wrong checksum or an unknown attribute;
// ACK for Set (the data byte is stored), Reset (the stored byte is forgotten) and the
// port-speed command (followed by the speed change); ACK and one data frame for Get.
std::vector<Action> defaultAnswer(std::span<const std::uint8_t> frame, ProjectorMemory& memory, int speedCode);

} // namespace varnu::sim
