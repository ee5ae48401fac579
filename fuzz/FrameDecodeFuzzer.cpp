// The frame decoder on any catalogue and any bytes: the input is a catalogue file, a NUL, one
// byte whose low bit chooses a sent or a received frame, then the frame. Whatever the layouts,
// every fit accounts for each item byte exactly once and the line names every fault.

#include "FuzzCheck.h"
#include "catalogue/CatalogueLoader.h"
#include "protocol/FrameDecode.h"
#include "protocol/FrameText.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varnu;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    if (nul == std::string::npos || nul + 1 >= input.size())
        return 0;
    Catalogue catalogue;
    if (!loadCatalogue(std::optional<std::string>(input.substr(0, nul)), catalogue))
        return 0;
    const FrameOrigin origin = (data[nul + 1] & 1) != 0 ? FrameOrigin::Received : FrameOrigin::Sent;
    const std::span<const std::uint8_t> frame(data + nul + 2, size - nul - 2);

    const FrameDecode decode = decodeFrame(frame, catalogue, origin);
    const std::string text = formatFrameDecode(decode);
    FUZZ_CHECK(!text.empty());
    FUZZ_CHECK(decode.faults.empty() || frame.empty() || text.ends_with("; bytes " + formatSpacedHex(frame)));
    for (const TargetFit& fit : decode.fits) {
        std::size_t bytes = 0;
        for (const DecodedItem& item : fit.items)
            bytes += item.bytes.size();
        FUZZ_CHECK(frame.size() >= 6 && bytes == frame.size() - 6);
        FUZZ_CHECK(origin == FrameOrigin::Received || fit.items.empty() || fit.items.back().role != ItemRole::Reply);
    }
    FUZZ_CHECK(decode.fits.empty() || !decode.has(FrameFault::NoFittingTarget));
    return 0;
}
