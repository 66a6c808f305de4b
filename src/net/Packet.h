// The gateway packet, in both directions, on byte buffers (no I/O here).
//
//   offset  width  field
//   0       2      magic "MH"
//   2       2      total length L (little-endian), header and checksum included
//   4       2      year (little-endian), local time of the sender
//   6..10   1 each month, day, hour, minute, second
//   11      1      command code (low byte)
//   12      L-13   body, every byte XORed with the key (sum of bytes 4..10, mod 256)
//   L-1     1      checksum: sum of bytes 0..L-2 mod 256, over the bytes as sent
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuv::packet {

inline constexpr size_t kHeaderSize = 12;
inline constexpr size_t kChecksumSize = 1;
inline constexpr size_t kMinSize = kHeaderSize + kChecksumSize;
inline constexpr size_t kMaxSize = 0xFFFF;
inline constexpr size_t kMaxBodySize = kMaxSize - kMinSize;

inline constexpr size_t kLengthOffset = 2;
inline constexpr size_t kStampOffset = 4;
inline constexpr size_t kStampSize = 7;
inline constexpr size_t kCommandOffset = 11;
inline constexpr size_t kBodyOffset = kHeaderSize;

// The sender's local time as carried in the header.
struct Stamp {
    uint16_t Year = 0;
    uint8_t Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// The scrambling key of a header (at least kHeaderSize bytes).
uint8_t Key(std::string_view header);
// The additive checksum of a byte range.
uint8_t Checksum(std::string_view bytes);
// The total length announced by a header (at least kHeaderSize bytes).
uint16_t DeclaredLength(std::string_view header);

// Builds a packet around a body. False (and nothing built) when the body does not fit the 16-bit
// length field.
bool Pack(std::string_view body, int32_t commandCode, const Stamp& stamp, std::string& packet);

enum class OpenResult { Ok, BadLength, BadChecksum };

// Checks a received block that starts with a header and unscrambles its body. The block must hold
// at least the announced length L (>= 13); the body is the L-13 bytes after the header.
OpenResult Open(std::string_view block, std::string& body);

}  // namespace nuv::packet
