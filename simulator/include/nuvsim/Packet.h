// Gateway packet framing (header, scrambled body, checksum) and little-endian field helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuvsim {

// Packet layout, all integers little-endian, L = total length:
//
//   offset  width  field
//   0       2      magic "MH"
//   2       2      L (header, body and checksum)
//   4       2      year of the sender's local time
//   6..10   1 each month, day, hour, minute, second
//   11      1      command code
//   12      L-13   body, every byte XORed with the key
//   L-1     1      checksum: sum of bytes 0..L-2 mod 256, over the bytes as sent
//
// key = sum of bytes 4..10 mod 256, so each side scrambles with the time stamp it wrote.
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::size_t kMinPacketSize = kHeaderSize + 1;
inline constexpr std::size_t kMaxPacketSize = 0xFFFF;
inline constexpr std::size_t kMaxBodySize = kMaxPacketSize - kMinPacketSize;
inline constexpr std::size_t kLengthOffset = 2;
inline constexpr std::size_t kTimeOffset = 4;
inline constexpr std::size_t kCodeOffset = 11;

// The sender's local time as carried in bytes 4..10 of the header.
struct PacketTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    bool operator==(const PacketTime&) const = default;
};

PacketTime LocalNow();

// One decoded packet: the body is already unscrambled.
struct Packet {
    std::uint8_t Code = 0;
    PacketTime Time;
    std::string Body;
};

// Builds a complete packet; a body longer than kMaxBodySize is cut to fit the 16-bit length.
std::string BuildPacket(std::uint8_t code, std::string_view body, const PacketTime& time);
std::string BuildPacket(std::uint8_t code, std::string_view body);

enum class ParseStatus {
    Ok,           // a whole packet was decoded
    NeedMore,     // the bytes end before the packet does
    BadLength,    // the length field is below kMinPacketSize
    BadChecksum,  // the checksum byte does not match the bytes before it
};

struct ParseResult {
    ParseStatus Status = ParseStatus::NeedMore;
    std::size_t Consumed = 0;  // packet length when Status is Ok or BadChecksum
    Packet Decoded;            // valid only when Status is Ok
};

// Decodes the packet at the start of Bytes; never reads past Bytes.
ParseResult ParsePacket(std::string_view bytes);

// Length field of a header; Header must hold at least kHeaderSize bytes.
std::size_t PacketLength(std::string_view header);
std::uint8_t ScrambleKey(std::string_view header);
std::uint8_t Checksum(std::string_view bytes);

// Little-endian writers and bounded readers: a read past the end yields zero bytes.
void PutInt32(std::string& out, std::int32_t value);
std::int32_t GetInt32(std::string_view bytes, std::size_t offset);
std::uint8_t GetByte(std::string_view bytes, std::size_t offset);
// The Width bytes at Offset (fewer when Bytes ends first).
std::string_view Field(std::string_view bytes, std::size_t offset, std::size_t width);

// Cuts Text to Width bytes or pads it with Pad up to Width.
std::string PadText(std::string_view text, std::size_t width, char pad);
// Drops leading and trailing bytes 0x00..0x20 (padding, spaces, control bytes).
std::string TrimPadding(std::string_view text);

// The 37-byte login request a client sends; for tests that speak to the gateway directly.
std::string LoginRequestBody(std::string_view user, std::string_view password,
                             std::uint8_t clientType = 'C', std::int32_t clientCode = 19,
                             std::int32_t versionMajor = 2, std::int32_t versionMinor = 205);
// "Name\r\n\r\nArgs", the request body of the text service channel (code 9).
std::string ServiceRequestBody(std::string_view name, std::string_view args = {});

}  // namespace nuvsim
