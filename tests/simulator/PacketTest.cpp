// Packet framing and field helpers on byte buffers, pinned with written-out bytes.
#include <gtest/gtest.h>

#include "nuvsim/Packet.h"

namespace nuvsim {
namespace {

const PacketTime kExampleTime{2026, 12, 6, 8, 34, 45};
// Body "abc", command 1, packed at 2026-12-06 08:34:45: the key is 0x5A.
const std::string kExamplePacket("\x4D\x48\x10\x00\xEA\x07\x0C\x06\x08\x22\x2D\x01\x3B\x38\x39\xAC",
                                 16);

TEST(PacketTest, BuildsTheWorkedExample) {
    EXPECT_EQ(BuildPacket(1, "abc", kExampleTime), kExamplePacket);
    EXPECT_EQ(ScrambleKey(kExamplePacket), 0x5A);
}

TEST(PacketTest, EmptyBodyIsHeaderAndChecksumOfTheHeader) {
    const std::string packet = BuildPacket(7, "", kExampleTime);
    ASSERT_EQ(packet.size(), 13u);
    EXPECT_EQ(packet.substr(0, 4), std::string("MH\x0D\x00", 4));
    EXPECT_EQ(static_cast<std::uint8_t>(packet[11]), 7);
    EXPECT_EQ(static_cast<std::uint8_t>(packet[12]), Checksum(packet.substr(0, 12)));
}

TEST(PacketTest, ParsesTheWorkedExampleBack) {
    const ParseResult parsed = ParsePacket(kExamplePacket + "trailing");
    ASSERT_EQ(parsed.Status, ParseStatus::Ok);
    EXPECT_EQ(parsed.Consumed, 16u);
    EXPECT_EQ(parsed.Decoded.Code, 1);
    EXPECT_EQ(parsed.Decoded.Time, kExampleTime);
    EXPECT_EQ(parsed.Decoded.Body, "abc");
}

TEST(PacketTest, EveryTruncatedPrefixNeedsMore) {
    for (std::size_t size = 0; size < kExamplePacket.size(); ++size) {
        EXPECT_EQ(ParsePacket(kExamplePacket.substr(0, size)).Status, ParseStatus::NeedMore)
            << "prefix of " << size << " bytes";
    }
}

TEST(PacketTest, RefusesLengthsBelowThirteenAndWrongChecksums) {
    for (const char low : {'\x00', '\x05', '\x0C'}) {
        std::string packet = kExamplePacket;
        packet[2] = low;
        EXPECT_EQ(ParsePacket(packet).Status, ParseStatus::BadLength) << int{low};
    }
    std::string corrupt = kExamplePacket;
    corrupt.back() = static_cast<char>(corrupt.back() + 1);
    EXPECT_EQ(ParsePacket(corrupt).Status, ParseStatus::BadChecksum);
    // A flipped body byte is caught by the checksum, not delivered.
    corrupt = kExamplePacket;
    corrupt[13] ^= 0x01;
    EXPECT_EQ(ParsePacket(corrupt).Status, ParseStatus::BadChecksum);
}

TEST(PacketTest, RoundTripsEveryByteValueAndCutsOversizedBodies) {
    std::string body;
    for (int i = 0; i < 256; ++i) body.push_back(static_cast<char>(i));
    const ParseResult parsed = ParsePacket(BuildPacket(9, body));
    ASSERT_EQ(parsed.Status, ParseStatus::Ok);
    EXPECT_EQ(parsed.Decoded.Body, body);

    const std::string huge = BuildPacket(9, std::string(kMaxBodySize + 10, 'x'));
    EXPECT_EQ(huge.size(), kMaxPacketSize);
    EXPECT_EQ(PacketLength(huge), kMaxPacketSize);
    EXPECT_EQ(ParsePacket(huge).Status, ParseStatus::Ok);
}

TEST(PacketTest, IntegersAreLittleEndianAndReadsPastTheEndGiveZero) {
    std::string out;
    PutInt32(out, 0x01020304);
    PutInt32(out, -2);
    EXPECT_EQ(out, std::string("\x04\x03\x02\x01\xFE\xFF\xFF\xFF", 8));
    EXPECT_EQ(GetInt32(out, 0), 0x01020304);
    EXPECT_EQ(GetInt32(out, 4), -2);
    EXPECT_EQ(GetInt32(out, 6), 0xFFFF);  // two bytes left, the rest reads as zero
    EXPECT_EQ(GetByte(out, 8), 0);
    EXPECT_EQ(Field(out, 6, 30), std::string("\xFF\xFF", 2));
    EXPECT_EQ(Field(out, 9, 4), "");
}

TEST(PacketTest, PaddingAndTrimming) {
    struct Case {
        std::string Text;
        std::size_t Width;
        std::string Padded;
    };
    const Case cases[] = {
        {"", 12, std::string(12, ' ')},
        {"abc", 5, "abc  "},
        {"fifteen-bytes!!", 12, "fifteen-byte"},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PadText(c.Text, c.Width, ' '), c.Padded) << c.Text;
    EXPECT_EQ(TrimPadding(std::string(" \0a b\t\0 ", 8)), "a b");
    EXPECT_EQ(TrimPadding(std::string("\0\0", 2)), "");
}

TEST(PacketTest, LoginRequestLayout) {
    const std::string body = LoginRequestBody("demo", "pw", 'C', 19, 2, 205);
    const std::string expected =
        std::string("demo        pw          C", 25) +
        std::string("\x13\x00\x00\x00\x02\x00\x00\x00\xCD\x00\x00\x00", 12);
    EXPECT_EQ(body, expected);
    EXPECT_EQ(ServiceRequestBody("QueryServerState"), "QueryServerState\r\n\r\n");
}

}  // namespace
}  // namespace nuvsim
