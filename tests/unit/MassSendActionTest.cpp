// The mass send command: the number rule, the request layout and the answer decoding.
#include <gtest/gtest.h>

#include "ActionTestUtil.h"
#include "TestUtil.h"
#include "actions/MassSendAction.h"
#include "net/Packet.h"

namespace nuv::test {
namespace {

TEST(NumberRuleTest, ValidNumbers) {
    const struct {
        const char* text;
        bool valid;
    } cases[] = {
        {"13812345678", true},
        {"138-1234-5678", true},
        {"15912345678", true},
        {"18612345678", true},
        {"14712345678", false},
        {"17012345678", false},
        {"138123456789", false},
        {"1381234567", false},
        {"01012345678", true},
        {"075512345678", true},
        {"0755123456789", false},
        {"8613812345678", false},
        {"", false},
        {"abc", false},
        {"0 1 2 3 4 5 6 7 8 9 0", true},
        {"23812345678", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidNumber(c.text), c.valid) << c.text;
        // The rule reads only the digits.
        const std::string digits = DigitsOnly(c.text);
        EXPECT_EQ(IsValidNumber(digits), c.valid) << c.text;
    }
    EXPECT_EQ(DigitsOnly("a1-2 b3\xD6\xD0"), "123");
}

TDateTime At(int y, int mo, int d, int h, int mi, int s) {
    return EncodeDateTime(platform::CalendarTime{y, mo, d, h, mi, s, 0});
}

std::string Zeros(size_t n) {
    return std::string(n, '\0');
}

class MassSendActionTest : public ::testing::Test {
  protected:
    ActionPtr<TZpMassSendAction> NewAction() { return CreateAction<TZpMassSendAction>(client); }
    TZpClient client;
};

TEST_F(MassSendActionTest, Defaults) {
    const TDateTime before = Now();
    auto action = NewAction();
    EXPECT_EQ(action->CommandCode, 6);
    EXPECT_EQ(action->Name, Hex("C8 BA B7 A2 B6 CC D0 C5"));  // 群发短信
    EXPECT_EQ(action->MessageType, 101);
    EXPECT_FALSE(action->Scheduled);
    EXPECT_GE(action->SendTime, before - 1e-6);
    EXPECT_LE(action->SendTime, Now() + 1e-6);
    EXPECT_EQ(action->StatusText, Hex("B5 C8 B4 FD D6 B4 D0 D0"));  // 等待执行
}

TEST_F(MassSendActionTest, SendTimeTicksFromCalendarFields) {
    EXPECT_EQ(TZpMassSendAction::FileTimeTicks(At(2024, 1, 2, 3, 4, 5)), 133486382450000000);
    EXPECT_EQ(TZpMassSendAction::FileTimeTicks(0.0), 94353120000000000);  // 1899-12-30
    EXPECT_EQ(TZpMassSendAction::FileTimeTicks(At(1601, 1, 1, 0, 0, 0)), 0);
    platform::CalendarTime withMs{2024, 1, 2, 3, 4, 5, 250};
    EXPECT_EQ(TZpMassSendAction::FileTimeTicks(EncodeDateTime(withMs)), 133486382452500000);
}

TEST_F(MassSendActionTest, ScheduledOneSegmentRequest) {
    auto action = NewAction();
    action->Numbers = {"13812345678"};
    action->Segments = {"Hi"};
    action->Scheduled = true;
    action->SendTime = At(2024, 1, 2, 3, 4, 5);
    action->EncodeRequest();
    const std::string expected =
        Hex("65 00 00 00  01 00  00 00  80 C0 48 58 28 3D DA 01  00 00 00 00") + "Hi" + Zeros(138) +
        Hex("01 00 00 00") + "13812345678" + Zeros(4);
    EXPECT_EQ(ToHex(action->Request.Bytes()), ToHex(expected));
    EXPECT_EQ(action->ValidNumbers, TZpStrings{"13812345678"});
    EXPECT_TRUE(action->FailedNumbers.empty());
}

TEST_F(MassSendActionTest, SegmentsExtraNumberAndInvalidNumbers) {
    auto action = NewAction();
    action->MessageType = 808;
    action->Numbers = {"13812345678", "12345", "0 1 2 3 4 5 6 7 8 9 0", "abc"};
    action->Segments = {"A(1)", "BB(2)", "C(3)"};
    action->ExtraNumber = "8";
    action->SendTime = At(2024, 1, 2, 3, 4, 5);
    action->EncodeRequest();
    const std::string expected =
        Hex("28 03 00 00  06 00  02 00  80 C0 48 58 28 3D DA 01  00 00 00 00") + "A(1)" +
        Zeros(136) + Hex("03 00 00 00") + "13812345678" + Zeros(4) +
        "0 1 2 3 4 5 6 7" /* first 15 of 21 bytes */ + "8" + Zeros(14) + Hex("05 00 00 00") +
        "BB(2)" + Hex("04 00 00 00") + "C(3)";
    EXPECT_EQ(ToHex(action->Request.Bytes()), ToHex(expected));
    EXPECT_EQ(action->FailedNumbers, (TZpStrings{"12345", "abc"}));
    EXPECT_EQ(action->ValidNumbers, (TZpStrings{"13812345678", "0 1 2 3 4 5 6 7 8 9 0"}));
}

TEST_F(MassSendActionTest, NoValidNumberStillSendsTheRequest) {
    auto action = NewAction();
    action->Numbers = {"1"};
    action->Segments = {std::string(150, 'x')};  // cut to its field
    action->EncodeRequest();
    const std::string& body = action->Request.Bytes();
    ASSERT_EQ(body.size(), 164u);
    EXPECT_EQ(body.substr(20, 140), std::string(140, 'x'));
    EXPECT_EQ(ToHex(body.substr(160)), "00 00 00 00");
}

TEST_F(MassSendActionTest, NumberCapacityKeepsTheBodyWithinThePacket) {
    auto action = NewAction();
    action->Segments = {"one"};
    EXPECT_EQ(action->NumberCapacity(packet::kMaxBodySize), (65522u - 164u) / 15u);  // 4357
    action->ExtraNumber = "8";
    EXPECT_EQ(action->NumberCapacity(packet::kMaxBodySize), 4356u);
    action->Segments = {"one", std::string(1000, 'x')};
    const size_t capacity = action->NumberCapacity(packet::kMaxBodySize);
    EXPECT_EQ(capacity, (65522u - 164u - 1004u) / 15u - 1u);
    // Exactly that many valid numbers make a body that fits; one more would not.
    action->Numbers.assign(capacity, "13812345678");
    action->EncodeRequest();
    EXPECT_LE(action->Request.Bytes().size(), packet::kMaxBodySize);
    EXPECT_GT(action->Request.Bytes().size() + 15, packet::kMaxBodySize);
    action->Segments = {"one", std::string(70000, 'x')};
    EXPECT_EQ(action->NumberCapacity(packet::kMaxBodySize), 0u);
}

// Decoding: the answer body, the numbers given, and what the command holds afterwards.
struct DecodeCase {
    const char* name;
    TZpStrings numbers;
    std::string answer;
    int32_t code;
    std::string text;
    TZpStrings failed;
};

TEST_F(MassSendActionTest, DecodesAnswers) {
    const std::string ok = Hex("C8 BA B7 A2 B6 CC D0 C5 B3 C9 B9 A6");
    const std::string refused = Hex("C8 BA B7 A2 B6 CC D0 C5 B1 BB BE DC BE F8");
    const std::string partly = Hex("B2 BF B7 D6 BA C5 C2 EB B1 BB BE DC BE F8");
    const std::string badNumber = Hex("BD D3 CA D5 BA C5 C2 EB CE DE D0 A7");
    const std::string unspecified = Hex("CE B4 D6 B8 C3 F7 B5 C4 B4 ED CE F3");
    const TZpStrings three{"13812345678", "12345", "abc"};
    const std::string entry1 = "13812345678" + Zeros(4);
    const std::string entry2 = " 13912345678 " + Zeros(2);
    const DecodeCase cases[] = {
        {"all accepted", three, Hex("00"), 0, ok, {"12345", "abc"}},
        {"all refused",
         three,
         Hex("01"),
         7060,
         refused,
         {"12345", "abc", "13812345678", "12345", "abc"}},
        {"two of two refused",
         {"13812345678", "13912345678"},
         Hex("02 00000000 02000000") + entry1 + Hex("06") + entry2 + Hex("0B"),
         7061,
         partly,
         {"13812345678", "13912345678"}},
        {"single number refused",
         {"13812345678"},
         Hex("02 00000000 01000000") + entry1 + Hex("06"),
         7031,
         badNumber,
         {"13812345678"}},
        {"single number, unlisted reason",
         {"13812345678"},
         Hex("02 00000000 01000000") + entry1 + Hex("0C"),
         7777,
         unspecified,
         {"13812345678"}},
        {"single number, no entries",
         {"13812345678"},
         Hex("03 00000000 00000000"),
         7061,
         partly,
         {}},
        {"count larger than the entries",
         {"13812345678", "13912345678"},
         Hex("02 00000000 FFFFFF7F") + entry1 + Hex("06"),
         7061,
         partly,
         {"13812345678"}},
        {"single number, count without entries",
         {"13812345678"},
         Hex("02 00000000 05000000"),
         7777,
         unspecified,
         {}},
        {"empty answer", {"13812345678"}, "", 7777, unspecified, {}},
        {"entries that were not sent, or listed twice, are dropped",
         {"13812345678", "13912345678"},
         Hex("02 00000000 03000000") + entry1 + Hex("06") + "15000000000" + Zeros(4) + Hex("06") +
             entry1 + Hex("06"),
         7061,
         partly,
         {"13812345678"}},
    };
    for (const auto& c : cases) {
        auto action = NewAction();
        action->Numbers = c.numbers;
        action->Segments = {"x"};
        action->EncodeRequest();
        DecodeBody(*action, c.answer);
        EXPECT_EQ(action->StatusCode, c.code) << c.name;
        EXPECT_EQ(ToHex(action->StatusText), ToHex(c.text)) << c.name;
        EXPECT_EQ(action->FailedNumbers, c.failed) << c.name;
    }
}

TEST_F(MassSendActionTest, KeepsTheReasonOfEveryRefusedNumber) {
    auto action = NewAction();
    action->Numbers = {"13812345678", "13912345678"};
    action->Segments = {"x"};
    action->EncodeRequest();
    DecodeBody(*action, Hex("02 00000000 02000000") + "13812345678" + Zeros(4) + Hex("0A") +
                            "13912345678" + Zeros(4) + Hex("05"));
    EXPECT_EQ(action->RefusalCodes, (std::vector<int32_t>{7035, 7020}));
}

}  // namespace
}  // namespace nuv::test
