// The packet codec on byte buffers, and the network session's pack/unpack steps.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "actions/Action.h"
#include "net/Net.h"
#include "net/Packet.h"
#include "support/StatuCode.h"

namespace nuv {
namespace {

using test::Hex;
using test::ToHex;

const packet::Stamp kStamp{2026, 12, 6, 8, 34, 45};

TEST(Packet, WorkedExampleAndLayout) {
    std::string out;
    ASSERT_TRUE(packet::Pack("abc", 1, kStamp, out));
    EXPECT_EQ(ToHex(out), "4D 48 10 00 EA 07 0C 06 08 22 2D 01 3B 38 39 AC");
    EXPECT_EQ(packet::Key(out), 0x5A);

    // An empty body: header and checksum only, checksum over the 12 header bytes.
    ASSERT_TRUE(packet::Pack("", 3, kStamp, out));
    ASSERT_EQ(out.size(), 13u);
    EXPECT_EQ(static_cast<uint8_t>(out[12]), packet::Checksum(std::string_view(out).substr(0, 12)));

    // Only the low byte of the command code travels; the default code -1 gives 0xFF.
    ASSERT_TRUE(packet::Pack("", 0x1234, kStamp, out));
    EXPECT_EQ(static_cast<uint8_t>(out[11]), 0x34);
    ASSERT_TRUE(packet::Pack("", -1, kStamp, out));
    EXPECT_EQ(static_cast<uint8_t>(out[11]), 0xFF);
}

TEST(Packet, LengthFieldIsLittleEndianAndBounded) {
    std::string out;
    ASSERT_TRUE(packet::Pack(std::string(0x0123 - 13, 'x'), 6, kStamp, out));
    EXPECT_EQ(static_cast<uint8_t>(out[2]), 0x23);
    EXPECT_EQ(static_cast<uint8_t>(out[3]), 0x01);

    ASSERT_TRUE(packet::Pack(std::string(packet::kMaxBodySize, 'x'), 6, kStamp, out));
    EXPECT_EQ(out.size(), 65535u);
    out = "untouched";
    EXPECT_FALSE(packet::Pack(std::string(packet::kMaxBodySize + 1, 'x'), 6, kStamp, out));
    EXPECT_EQ(out, "untouched");
}

TEST(Packet, DifferentSecondsGiveDifferentStampAndKey) {
    std::string a, b;
    packet::Stamp later = kStamp;
    later.Second = 46;
    ASSERT_TRUE(packet::Pack("abc", 1, kStamp, a));
    ASSERT_TRUE(packet::Pack("abc", 1, later, b));
    EXPECT_NE(a.substr(10, 1), b.substr(10, 1));
    EXPECT_NE(a.substr(12, 3), b.substr(12, 3));
}

TEST(Packet, OpenRoundTripAcceptsAnyMagicAndCode) {
    std::string block, body;
    ASSERT_TRUE(packet::Pack("hello", 9, kStamp, block));
    block[0] = 'X';  // other magic
    block[11] = 42;  // other command code
    block.back() =
        static_cast<char>(packet::Checksum(std::string_view(block).substr(0, block.size() - 1)));
    ASSERT_EQ(packet::Open(block, body), packet::OpenResult::Ok);
    EXPECT_EQ(body, "hello");
}

TEST(Packet, OpenRefusesBadChecksumAndImpossibleLengths) {
    std::string block, body = "unchanged";
    ASSERT_TRUE(packet::Pack("hello", 9, kStamp, block));

    std::string off = block;
    off.back() = static_cast<char>(off.back() + 1);
    EXPECT_EQ(packet::Open(off, body), packet::OpenResult::BadChecksum);
    EXPECT_EQ(body, "unchanged");

    struct Case {
        uint16_t length;
        const char* what;
    } cases[] = {{0, "zero"},
                 {12, "below a header and checksum"},
                 {static_cast<uint16_t>(block.size() + 1), "past the block"},
                 {0xFFFF, "far past the block"}};
    for (const auto& c : cases) {
        std::string bad = block;
        bad[2] = static_cast<char>(c.length & 0xFF);
        bad[3] = static_cast<char>(c.length >> 8);
        EXPECT_EQ(packet::Open(bad, body), packet::OpenResult::BadLength) << c.what;
    }
    // Every truncated prefix of a valid answer is refused without reading past it.
    for (size_t n = 0; n < block.size(); ++n) {
        std::string prefix = block.substr(0, n);
        EXPECT_NE(packet::Open(prefix, body), packet::OpenResult::Ok) << n;
    }
}

// A command that records whether its decoder ran and what it saw.
struct ProbeAction : TZpAction {
    using TZpAction::TZpAction;
    std::string Body;
    bool Decoded = false;
    size_t StartPosition = 99;
    void SetDefaults() override { CommandCode = 5; }
    void EncodeRequest() override { WriteString(Body); }
    void DecodeAnswer() override {
        Decoded = true;
        StartPosition = Answer.Position();
        StatusText = ReadRest();
    }
};

TEST(NetPortCodec, PacksRequestAndStampsIt) {
    TZpNetPort port;
    auto action = CreateAction<ProbeAction>(port.GetClient());
    action->Body = "abc";
    std::string out;
    ASSERT_TRUE(port.PackRequest(*action, out));
    EXPECT_EQ(out.size(), 16u);
    EXPECT_EQ(port.LastSentData, "abc");
    EXPECT_GT(action->SentAt, 0.0);
    std::string body;
    ASSERT_EQ(packet::Open(out, body), packet::OpenResult::Ok);
    EXPECT_EQ(body, "abc");
    EXPECT_EQ(static_cast<uint8_t>(out[11]), 5);
}

TEST(NetPortCodec, RefusesRequestTooLargeForTheLengthField) {
    TZpNetPort port;
    auto action = CreateAction<ProbeAction>(port.GetClient());
    action->Body.assign(packet::kMaxBodySize + 1, 'n');
    std::string out;
    EXPECT_FALSE(port.PackRequest(*action, out));
    EXPECT_NE(action->StatusCode, 0);
    EXPECT_EQ(action->StatusText, StatusText(action->StatusCode));
    EXPECT_TRUE(out.empty());
}

TEST(NetPortCodec, DeliversAValidAnswerFromPositionZero) {
    TZpNetPort port;
    auto action = CreateAction<ProbeAction>(port.GetClient());
    std::string block;
    ASSERT_TRUE(packet::Pack("answer", 5, kStamp, block));
    port.UnpackAnswer(*action, block);
    EXPECT_TRUE(action->Decoded);
    EXPECT_EQ(action->StartPosition, 0u);
    EXPECT_EQ(action->StatusText, "answer");
    EXPECT_EQ(port.LastReceivedData, "answer");
}

TEST(NetPortCodec, BadChecksumOrLengthNeverReachesTheCommand) {
    std::string block;
    ASSERT_TRUE(packet::Pack("secret", 5, kStamp, block));
    std::string badSum = block;
    badSum.back() = static_cast<char>(badSum.back() + 1);
    std::string badLength = block;
    badLength[2] = 12;

    for (const std::string& bad : {badSum, badLength}) {
        TZpNetPort port;
        auto action = CreateAction<ProbeAction>(port.GetClient());
        port.UnpackAnswer(*action, bad);
        EXPECT_FALSE(action->Decoded);
        EXPECT_EQ(action->Answer.Size(), 0u);
        EXPECT_EQ(action->StatusCode, kStatusChecksum);
        EXPECT_EQ(action->StatusText, Hex("CA FD BE DD D0 A3 D1 E9 CA A7 B0 DC"));  // 数据校验失败
        ASSERT_EQ(port.GetLog().Count(), 1);
    }
    TZpNetPort port;
    auto action = CreateAction<ProbeAction>(port.GetClient());
    port.UnpackAnswer(*action, badSum);
    const std::string& line = port.GetLog()[0];
    EXPECT_EQ(line.substr(line.size() - 10), Hex("D0 A3 D1 E9 C2 EB CE DE D0 A7"));  // 校验码无效
}

}  // namespace
}  // namespace nuv
