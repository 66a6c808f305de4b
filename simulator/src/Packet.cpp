// Packing and unpacking of gateway packets on byte buffers, without any I/O.
#include "nuvsim/Packet.h"

#include <ctime>

namespace nuvsim {
namespace {

std::uint8_t Byte(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

void WriteTime(std::string& packet, const PacketTime& time) {
    packet[kTimeOffset] = static_cast<char>(time.Year & 0xFF);
    packet[kTimeOffset + 1] = static_cast<char>((time.Year >> 8) & 0xFF);
    packet[kTimeOffset + 2] = static_cast<char>(time.Month);
    packet[kTimeOffset + 3] = static_cast<char>(time.Day);
    packet[kTimeOffset + 4] = static_cast<char>(time.Hour);
    packet[kTimeOffset + 5] = static_cast<char>(time.Minute);
    packet[kTimeOffset + 6] = static_cast<char>(time.Second);
}

PacketTime ReadTime(std::string_view header) {
    PacketTime time;
    time.Year = Byte(header, kTimeOffset) | (Byte(header, kTimeOffset + 1) << 8);
    time.Month = Byte(header, kTimeOffset + 2);
    time.Day = Byte(header, kTimeOffset + 3);
    time.Hour = Byte(header, kTimeOffset + 4);
    time.Minute = Byte(header, kTimeOffset + 5);
    time.Second = Byte(header, kTimeOffset + 6);
    return time;
}

// Scrambling is its own inverse, so one function serves both directions.
void XorBody(std::string& packet, std::size_t length, std::uint8_t key) {
    for (std::size_t i = kHeaderSize; i + 1 < length; ++i) {
        packet[i] = static_cast<char>(Byte(packet, i) ^ key);
    }
}

}  // namespace

PacketTime LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return PacketTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                      parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

std::string BuildPacket(std::uint8_t code, std::string_view body, const PacketTime& time) {
    body = body.substr(0, kMaxBodySize);
    const std::size_t length = body.size() + kMinPacketSize;
    std::string packet(length, '\0');
    packet[0] = 'M';
    packet[1] = 'H';
    packet[kLengthOffset] = static_cast<char>(length & 0xFF);
    packet[kLengthOffset + 1] = static_cast<char>((length >> 8) & 0xFF);
    WriteTime(packet, time);
    packet[kCodeOffset] = static_cast<char>(code);
    packet.replace(kHeaderSize, body.size(), body);
    XorBody(packet, length, ScrambleKey(packet));
    packet[length - 1] =
        static_cast<char>(Checksum(std::string_view(packet).substr(0, length - 1)));
    return packet;
}

std::string BuildPacket(std::uint8_t code, std::string_view body) {
    return BuildPacket(code, body, LocalNow());
}

ParseResult ParsePacket(std::string_view bytes) {
    ParseResult result;
    if (bytes.size() < kHeaderSize) return result;
    const std::size_t length = PacketLength(bytes);
    if (length < kMinPacketSize) {
        result.Status = ParseStatus::BadLength;
        return result;
    }
    if (bytes.size() < length) return result;
    result.Consumed = length;
    if (Checksum(bytes.substr(0, length - 1)) != Byte(bytes, length - 1)) {
        result.Status = ParseStatus::BadChecksum;
        return result;
    }
    std::string packet(bytes.substr(0, length));
    XorBody(packet, length, ScrambleKey(packet));
    result.Status = ParseStatus::Ok;
    result.Decoded.Code = Byte(packet, kCodeOffset);
    result.Decoded.Time = ReadTime(packet);
    result.Decoded.Body = packet.substr(kHeaderSize, length - kMinPacketSize);
    return result;
}

std::size_t PacketLength(std::string_view header) {
    return Byte(header, kLengthOffset) | (Byte(header, kLengthOffset + 1) << 8);
}

std::uint8_t ScrambleKey(std::string_view header) {
    unsigned sum = 0;
    for (std::size_t i = kTimeOffset; i < kCodeOffset; ++i) sum += Byte(header, i);
    return static_cast<std::uint8_t>(sum);
}

std::uint8_t Checksum(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes) sum += static_cast<std::uint8_t>(c);
    return static_cast<std::uint8_t>(sum);
}

void PutInt32(std::string& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(bits >> shift));
}

std::int32_t GetInt32(std::string_view bytes, std::size_t offset) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= std::uint32_t{GetByte(bytes, offset + i)} << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::uint8_t GetByte(std::string_view bytes, std::size_t offset) {
    return offset < bytes.size() ? Byte(bytes, offset) : 0;
}

std::string_view Field(std::string_view bytes, std::size_t offset, std::size_t width) {
    if (offset >= bytes.size()) return {};
    return bytes.substr(offset, width);
}

std::string PadText(std::string_view text, std::size_t width, char pad) {
    std::string padded(text.substr(0, width));
    padded.resize(width, pad);
    return padded;
}

std::string TrimPadding(std::string_view text) {
    auto isPadding = [](char c) { return static_cast<std::uint8_t>(c) <= 0x20; };
    while (!text.empty() && isPadding(text.front())) text.remove_prefix(1);
    while (!text.empty() && isPadding(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string LoginRequestBody(std::string_view user, std::string_view password,
                             std::uint8_t clientType, std::int32_t clientCode,
                             std::int32_t versionMajor, std::int32_t versionMinor) {
    std::string body = PadText(user, 12, ' ') + PadText(password, 12, ' ');
    body.push_back(static_cast<char>(clientType));
    PutInt32(body, clientCode);
    PutInt32(body, versionMajor);
    PutInt32(body, versionMinor);
    return body;
}

std::string ServiceRequestBody(std::string_view name, std::string_view args) {
    std::string body(name);
    body += "\r\n\r\n";
    body += args;
    return body;
}

}  // namespace nuvsim
