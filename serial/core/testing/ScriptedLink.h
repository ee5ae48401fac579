#pragma once
// A fake projector line for protocol tests: it plays a script of expected calls and their
// answers in virtual time, and logs every call in the same words as the script, so a test
// compares the conversation that happened with the one it wrote down.

#include "serial/core/Link.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace varnu::testing {

using std::chrono::milliseconds;

// What the timed transfers cost when the line stays silent: a one-byte read makes two
// attempts of 200 ms, a frame read two attempts of 700 ms (100 ms + 100 ms per requested byte).
inline constexpr milliseconds kSilentByteReadCost{400};
inline constexpr milliseconds kSilentFrameReadCost{1400};
// A frame that stops arriving ends after two empty attempts as well.
inline constexpr milliseconds kBrokenFrameReadCost{1400};

// One expected call on the link and what the line gives back for it.
struct ScriptStep {
    enum class Kind { Write, Read, Purge, Wait, Reopen };

    Kind kind = Kind::Purge;
    ReadMode mode = ReadMode::Byte;  // Read
    std::vector<std::uint8_t> bytes; // Write: the bytes expected; Read: the byte or frame received
    int result = 0;                  // Write: bytes accepted; Read: readPort's value; Reopen: 1 opens
    std::uint32_t baudRate = 0;      // Reopen
    milliseconds cost{0};            // virtual time the call takes (Wait: its period)

    // Overrides the virtual time of this step, for instance a write stuck in the driver.
    ScriptStep costing(milliseconds time) const;
    // The words the log uses for this call and its outcome.
    std::string describe() const;
};

// The steps, named after what the program does on the line. Hex texts may contain spaces.
ScriptStep sends(std::string_view hex);
ScriptStep sendsPart(std::string_view hex, std::size_t accepted);
ScriptStep sendFails(std::string_view hex);
ScriptStep getsByte(std::uint8_t byte);
ScriptStep getsFrame(std::string_view hex);
ScriptStep getsBrokenFrame();
ScriptStep getsNothing(ReadMode mode);
ScriptStep purges();
ScriptStep waits(milliseconds period);
ScriptStep reopens(std::uint32_t baudRate);
ScriptStep failsToReopen(std::uint32_t baudRate);

std::vector<std::uint8_t> bytesFromHex(std::string_view hex);

class ScriptedLink : public Link {
public:
    explicit ScriptedLink(std::vector<ScriptStep> script);

    std::size_t writePort(std::span<const std::uint8_t> bytes) override;
    int readPort(std::vector<std::uint8_t>& received, ReadMode mode) override;
    void purge() override;
    void waitPumping(milliseconds period) override;
    bool reopenAt(std::uint32_t baudRate) override;

    // Every call so far, described as a script step; a call the script did not expect is
    // marked "(not in script)" and gets nothing.
    const std::vector<std::string>& log() const { return log_; }
    // The whole script, described the same way: equal to log() when the conversation went as written.
    std::vector<std::string> expectedLog() const;
    milliseconds elapsed() const { return elapsed_; }

private:
    // The next step if it is of this kind (and mode); null otherwise.
    const ScriptStep* take(ScriptStep::Kind kind, ReadMode mode = ReadMode::Byte);
    void unexpected(std::string call);

    std::vector<ScriptStep> script_;
    std::size_t next_ = 0;
    std::vector<std::string> log_;
    milliseconds elapsed_{0};
};

} // namespace varnu::testing
