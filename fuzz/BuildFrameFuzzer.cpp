// BuildFrame on arbitrary entry texts: never more bytes than the text can stand for, and the
// canonical text of a frame (single spaces, two digits a byte) builds that frame again.

#include "FuzzCheck.h"
#include "protocol/FrameText.h"

#include <algorithm>
#include <string>

namespace {

using namespace varnu;

// "ESC" and the bytes after the ESC, two digits each, separated by single spaces.
std::string canonicalText(const std::vector<std::uint8_t>& frame) {
    std::string text = "ESC";
    const std::string hex = FormatHex(frame);
    for (std::size_t i = 2; i < hex.size(); i += 2) {
        text += ' ';
        text += hex.substr(i, 2);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::uint8_t> frame = BuildFrame(text);
    if (text.find("ESC") == std::string::npos) {
        FUZZ_CHECK(frame.empty());
        return 0;
    }
    FUZZ_CHECK(frame.size() >= 2);
    FUZZ_CHECK(frame[0] == 0x1B);
    // Every byte after the length comes from two characters of the text.
    FUZZ_CHECK(frame.size() - 2 <= text.size() / 2);
    FUZZ_CHECK(FormatHex(frame).size() == 2 * frame.size());

    // Read back from its canonical text, the frame stops where its length byte says (one
    // byte a token), or at its end when it is shorter.
    const std::size_t needed = frame[1] > 2 ? frame[1] - 2u : 0u;
    const std::size_t expected = 2 + std::min(frame.size() - 2, needed);
    const std::vector<std::uint8_t> again = BuildFrame(canonicalText(frame));
    FUZZ_CHECK(again.size() == expected);
    FUZZ_CHECK(std::equal(again.begin(), again.end(), frame.begin()));
    return 0;
}
