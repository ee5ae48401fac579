// The entry composer on arbitrary code lists, offsets, numbers and field texts: a composition
// is either refused with a reason, or its text builds exactly the frame it counted, with a
// right checksum, and is accepted unchanged by the list-file check.

#include "FrameChecks.h"
#include "protocol/FrameText.h"
#include "transmit_list/EntryComposer.h"
#include "transmit_list/EntryText.h"
#include "transmit_list/ListFile.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace varnu;

// Class and function numbers a little past what one byte addresses.
constexpr int kMaxIndexTried = 300;
constexpr std::size_t kMaxCodesTried = 96;
constexpr std::size_t kMaxFieldTextTried = 300;

std::vector<std::uint8_t> codeList(FuzzedDataProvider& provider) {
    std::vector<std::uint8_t> codes =
        provider.ConsumeBytes<std::uint8_t>(provider.ConsumeIntegralInRange<std::size_t>(0, kMaxCodesTried));
    codes.push_back(End);
    return codes;
}

TargetForm fuzzedForm(FuzzedDataProvider& provider) {
    TargetForm form;
    form.name = "T";
    for (std::size_t pass = 0; pass < 2; ++pass) {
        form.codes[pass] = codeList(provider);
        form.fixedSlave[pass] = provider.ConsumeIntegral<std::uint32_t>();
        form.fixedAddress[pass] = provider.ConsumeIntegral<std::uint32_t>();
        form.dataOffset[pass] = provider.ConsumeIntegral<std::int32_t>();
        form.slaveOffset[pass] = provider.ConsumeIntegral<std::int32_t>();
    }
    return form;
}

SelectionState fuzzedSelection(FuzzedDataProvider& provider) {
    SelectionState state;
    state.attribute = static_cast<Attribute>(provider.ConsumeIntegralInRange<int>(0, 2));
    state.classIndex = provider.ConsumeIntegralInRange<int>(0, kMaxIndexTried);
    state.functionIndex = provider.ConsumeIntegralInRange<int>(0, kMaxIndexTried);
    state.targetIndex = provider.ConsumeIntegralInRange<int>(-1, 1);
    state.dataRadix = provider.ConsumeBool() ? DataRadix::Hex : DataRadix::Dec;
    state.address1Text = provider.ConsumeRandomLengthString(kMaxFieldTextTried);
    state.address2Text = provider.ConsumeRandomLengthString(kMaxFieldTextTried);
    state.dataText = provider.ConsumeRandomLengthString(kMaxFieldTextTried);
    state.multiBytesText = provider.ConsumeRemainingBytesAsString();
    return state;
}

// One class at classIndex whose function at functionIndex has the one target "T".
Catalogue catalogueFor(const SelectionState& state, TargetForm form) {
    Catalogue catalogue;
    catalogue.forms.push_back(std::move(form));
    catalogue.groups.resize(static_cast<std::size_t>(state.classIndex) + 1);
    CommandFunction function;
    function.targets = {"T"};
    catalogue.groups.back().functions.resize(static_cast<std::size_t>(state.functionIndex) + 1, function);
    return catalogue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    TargetForm form = fuzzedForm(provider);
    const SelectionState state = fuzzedSelection(provider);
    const Catalogue catalogue = catalogueFor(state, std::move(form));

    const ComposeResult result = composeFrameText(catalogue, state);
    if (!result.ok()) {
        FUZZ_CHECK(result.text.empty());
        return 0;
    }
    const std::vector<std::uint8_t> frame = BuildFrame(result.text);
    fuzz::checkSoundFrame(frame);
    FUZZ_CHECK(frame.size() >= 6);
    FUZZ_CHECK(frame[2] == static_cast<int>(state.attribute) + 1);
    FUZZ_CHECK(frame[3] == state.classIndex);
    FUZZ_CHECK(frame[4] == state.functionIndex);
    FUZZ_CHECK(FormatHex(frame).size() == 2 * frame.size());

    // Saved and opened again, the entry comes back as it is.
    std::string line = result.text;
    FUZZ_CHECK(CheckFrameText(line));
    FUZZ_CHECK(line == result.text);

    const ComposeResult entry = composeEntry(catalogue, state, 12);
    FUZZ_CHECK(entry.ok());
    FUZZ_CHECK(entry.text == entryNumberPrefix(12) + result.text);
    return 0;
}
