// Feeds arbitrary bytes to the answer path: the packet check and a command reading the body.
#include <cstddef>
#include <cstdint>
#include <string>

#include "actions/Action.h"
#include "net/Net.h"
#include "net/Packet.h"

namespace {
struct ReadEverything : nuv::TZpAction {
    using TZpAction::TZpAction;
    void DecodeAnswer() override {
        ReadByte();
        ReadInt32();
        ReadString(20);
        Skip(3);
        ReadRest();
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view block(reinterpret_cast<const char*>(data), size);
    std::string body;
    nuv::packet::Open(block, body);
    nuv::TZpNetPort port;
    auto raw = nuv::CreateAction<ReadEverything>(port.GetClient());
    port.UnpackAnswer(*raw, block);

    // The same bytes with the length and checksum repaired, so the body reaches the decoder.
    if (size >= nuv::packet::kMinSize && size <= nuv::packet::kMaxSize) {
        std::string fixed(block);
        fixed[2] = static_cast<char>(size & 0xFF);
        fixed[3] = static_cast<char>(size >> 8);
        fixed.back() =
            static_cast<char>(nuv::packet::Checksum(std::string_view(fixed).substr(0, size - 1)));
        auto repaired = nuv::CreateAction<ReadEverything>(port.GetClient());
        port.UnpackAnswer(*repaired, fixed);
    }
    return 0;
}
