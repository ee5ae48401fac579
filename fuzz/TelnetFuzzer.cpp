// The COM-PORT-OPTION client fed whatever a server might send, in chunks of the fuzzer's
// choosing. Whatever comes in: the data taken out is never more than what came in, every byte
// owed to the server is a whole negotiation answer, and a chunk of escaped data sent after it
// comes out unchanged (the decoder is back in step after any garbage that ends a command).

#include "FuzzCheck.h"
#include "serial/core/ComPortClient.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using namespace varnu;

// IAC NOP twice and an IAC SE: whatever state the garbage left, the stream is in data after it.
const std::vector<std::uint8_t> kResync{telnet::kIac, 0xF1, telnet::kIac, telnet::kSe, telnet::kIac, 0xF1};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    ComPortClient client;
    client.start();
    std::size_t fed = 0;
    std::vector<std::uint8_t> taken;
    while (provider.remaining_bytes() > 0) {
        const std::size_t chunk = provider.ConsumeIntegralInRange<std::size_t>(0, 32);
        const std::vector<std::uint8_t> bytes = provider.ConsumeBytes<std::uint8_t>(chunk);
        client.receive(bytes, taken);
        fed += bytes.size();
        FUZZ_CHECK(taken.size() <= fed);
        const std::vector<std::uint8_t> owed = client.takeOutgoing();
        FUZZ_CHECK(owed.size() % 3 == 0);
        for (std::size_t i = 0; i < owed.size(); i += 3)
            FUZZ_CHECK(owed[i] == telnet::kIac && owed[i + 1] >= telnet::kWill && owed[i + 1] <= telnet::kDont);
    }

    client.receive(kResync, taken);
    const std::vector<std::uint8_t> payload{0x1B, 0xFF, 0x06, 0xFF, 0xFF, 0x15};
    std::vector<std::uint8_t> wire;
    ComPortClient::appendData(payload, wire);
    std::vector<std::uint8_t> after;
    client.receive(wire, after);
    FUZZ_CHECK(after == payload);
    return 0;
}
