// The gateway packet on byte buffers.
#include "net/Packet.h"

namespace nuv::packet {
namespace {

uint8_t Byte(std::string_view bytes, size_t i) {
    return static_cast<uint8_t>(bytes[i]);
}

void Scramble(char* begin, char* end, uint8_t key) {
    for (char* p = begin; p != end; ++p) *p = static_cast<char>(static_cast<uint8_t>(*p) ^ key);
}

}  // namespace

uint8_t Key(std::string_view header) {
    return Checksum(header.substr(kStampOffset, kStampSize));
}

uint8_t Checksum(std::string_view bytes) {
    // A wide accumulator lets the compiler add many bytes at once; only the low byte counts.
    uint32_t sum = 0;
    for (char c : bytes) sum += static_cast<uint8_t>(c);
    return static_cast<uint8_t>(sum);
}

uint16_t DeclaredLength(std::string_view header) {
    return static_cast<uint16_t>(Byte(header, kLengthOffset) |
                                 (Byte(header, kLengthOffset + 1) << 8));
}

bool Pack(std::string_view body, int32_t commandCode, const Stamp& stamp, std::string& packet) {
    if (body.size() > kMaxBodySize) return false;
    const size_t length = body.size() + kMinSize;
    packet.assign(length, '\0');
    char* p = packet.data();
    p[0] = 'M';
    p[1] = 'H';
    p[2] = static_cast<char>(length & 0xFF);
    p[3] = static_cast<char>(length >> 8);
    p[4] = static_cast<char>(stamp.Year & 0xFF);
    p[5] = static_cast<char>(stamp.Year >> 8);
    p[6] = static_cast<char>(stamp.Month);
    p[7] = static_cast<char>(stamp.Day);
    p[8] = static_cast<char>(stamp.Hour);
    p[9] = static_cast<char>(stamp.Minute);
    p[10] = static_cast<char>(stamp.Second);
    p[kCommandOffset] = static_cast<char>(static_cast<uint32_t>(commandCode) & 0xFF);
    body.copy(p + kBodyOffset, body.size());
    Scramble(p + kBodyOffset, p + length - kChecksumSize, Key(packet));
    p[length - 1] = static_cast<char>(Checksum(std::string_view(p, length - 1)));
    return true;
}

OpenResult Open(std::string_view block, std::string& body) {
    if (block.size() < kMinSize) return OpenResult::BadLength;
    const size_t length = DeclaredLength(block);
    if (length < kMinSize || length > block.size()) return OpenResult::BadLength;
    if (Checksum(block.substr(0, length - 1)) != Byte(block, length - 1))
        return OpenResult::BadChecksum;
    body.assign(block.substr(kBodyOffset, length - kMinSize));
    Scramble(body.data(), body.data() + body.size(), Key(block));
    return OpenResult::Ok;
}

}  // namespace nuv::packet
