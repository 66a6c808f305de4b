// Carrier classes of numbers and the cutting of message texts into segments.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "actions/MassSendAction.h"
#include "net/Carrier.h"
#include "platform/Platform.h"
#include "session/Content.h"

namespace nuv::test {
namespace {

TEST(CarrierTest, ClassesByTheFirstThreeDigits) {
    const struct {
        const char* number;
        TZpCarrier carrier;
    } cases[] = {
        {"13412345678", CarrierMobile},
        {"13912345678", CarrierMobile},
        {"15912345678", CarrierMobile},
        {"013912345678", CarrierMobile},  // one "0" passed over
        {"13012345678", CarrierUnicom},
        {"13312345678", CarrierUnicom},
        {"15312345678", CarrierUnicom},
        {"130", CarrierUnicom},
        {"15012345678", CarrierPhs},
        {"18612345678", CarrierPhs},
        {"07712345678", CarrierPhs},    // 771
        {"0013912345678", CarrierPhs},  // only one "0" is dropped: 013
        {"8613912345678", CarrierPhs},  // no country code handling: 861
        {"13", CarrierPhs},
        {"1", CarrierPhs},
        {"", CarrierPhs},
        {"0", CarrierPhs},
        {"abc", CarrierPhs},
        {"13a45678901", CarrierPhs},
        {"+13912345678", CarrierPhs},
        {"$9912345678", CarrierPhs},  // not read as hex 0x99
    };
    for (const auto& c : cases) EXPECT_EQ(CarrierOf(c.number), c.carrier) << c.number;
}

std::u16string Chars(size_t count, char16_t c = u'a') {
    return std::u16string(count, c);
}

std::string Gbk(const char* utf8) {
    return platform::Utf8ToGbk(utf8);
}

// The segment lengths in characters (GBK single-byte text) with their suffixes.
TEST(SplitContentTest, PiecesAndSuffixes) {
    TZpClient client;
    const struct {
        size_t length;
        int32_t maxLength;
        std::vector<std::string> expected;  // as "a×N" counts and suffixes
    } cases[] = {
        {70, 70, {std::string(70, 'a')}},
        {71, 70, {std::string(67, 'a') + "(1)", std::string(4, 'a') + "(2)"}},
        {150,
         70,
         {std::string(67, 'a') + "(1)", std::string(67, 'a') + "(2)",
          std::string(16, 'a') + "(3)"}},
        {0, 70, {""}},
        {10, 3, {std::string(10, 'a')}},  // no piece length left: the text stays whole
        {10, 0, {std::string(10, 'a')}},
    };
    for (const auto& c : cases) {
        TZpStrings segments{"stale"};
        SplitContent(client, Chars(c.length), segments, false, c.maxLength);
        EXPECT_EQ(segments, c.expected) << c.length << " in " << c.maxLength;
    }
}

TEST(SplitContentTest, TenthPieceHasATwoDigitSuffix) {
    TZpClient client;
    TZpStrings segments;
    SplitContent(client, Chars(70), segments, false, 10);  // pieces of 7
    ASSERT_EQ(segments.size(), 10u);
    EXPECT_EQ(segments[8], "aaaaaaa(9)");
    EXPECT_EQ(segments[9], "aaaaaaa(10)");
}

TEST(SplitContentTest, SharedShortNameWidensTheAllowance) {
    TZpClient client;
    client.ShortName = Gbk("测试企业");  // four characters: allowance 4 + 1 + 3
    client.UseShortName = true;
    TZpStrings segments;
    SplitContent(client, Chars(65), segments, true, 70);
    EXPECT_EQ(segments.size(), 1u);
    SplitContent(client, Chars(66), segments, true, 70);
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0], std::string(62, 'a') + "(1)");
    // Without the carrier's sharing, or without using the short name, the plain allowance holds.
    SplitContent(client, Chars(70), segments, false, 70);
    EXPECT_EQ(segments.size(), 1u);
    client.UseShortName = false;
    SplitContent(client, Chars(70), segments, true, 70);
    EXPECT_EQ(segments.size(), 1u);
}

TEST(SplitContentTest, CountsCharactersAndConvertsPiecesToGbk) {
    TZpClient client;
    TZpStrings segments;
    SplitContent(client, Chars(71, u'中'), segments, false, 70);
    ASSERT_EQ(segments.size(), 2u);
    std::string first;
    for (int i = 0; i < 67; ++i) first += Hex("D6 D0");
    EXPECT_EQ(segments[0], first + "(1)");
    EXPECT_EQ(segments[1], Hex("D6 D0 D6 D0 D6 D0 D6 D0") + "(2)");
}

// Segment counts that PrepareContent gives for a class, a text and the width doubling.
struct PrepareCase {
    const char* name;
    TZpCarrier carrier;
    std::u16string text;
    bool doubleWidth;
    size_t segments;
};

TZpClient ProfileClient() {
    TZpClient client;
    client.MobileLength = 60;
    client.UnicomLength = 70;
    client.PhsLength = 45;
    return client;
}

size_t SegmentCount(const TZpClient& profile, const PrepareCase& c) {
    TZpClient client = profile;
    auto action = CreateAction<TZpMassSendAction>(client);
    action->PrepareContent(c.text, c.carrier, c.doubleWidth);
    EXPECT_EQ(action->Content, c.text);
    return action->Segments.size();
}

TEST(PrepareContentTest, LengthByClassAndDoubling) {
    const PrepareCase cases[] = {
        {"mobile exact length", CarrierMobile, Chars(60), false, 1},
        {"mobile one more", CarrierMobile, Chars(61), false, 2},
        {"unicom 70", CarrierUnicom, Chars(70), false, 1},
        {"unicom 71", CarrierUnicom, Chars(71), false, 2},
        {"phs 45", CarrierPhs, Chars(45), false, 1},
        {"phs 46", CarrierPhs, Chars(46), false, 2},
        {"808 single-byte mobile 120", CarrierMobile, Chars(120), true, 1},
        {"808 single-byte mobile 121", CarrierMobile, Chars(121), true, 2},
        {"808 single-byte unicom 140", CarrierUnicom, Chars(140), true, 1},
        {"808 chinese mobile 60", CarrierMobile, Chars(60, u'中'), true, 1},
        {"808 chinese mobile 61", CarrierMobile, Chars(61, u'中'), true, 2},
        {"808 phs never doubled", CarrierPhs, Chars(46), true, 2},
    };
    const TZpClient client = ProfileClient();
    for (const auto& c : cases) EXPECT_EQ(SegmentCount(client, c), c.segments) << c.name;
}

TEST(PrepareContentTest, DoubleByteShortNameStopsDoubling) {
    TZpClient client = ProfileClient();
    client.UseShortName = true;
    client.ShortName = Gbk("测试");
    EXPECT_EQ(SegmentCount(client, {"", CarrierMobile, Chars(61), true, 0}), 2u);
    client.ShortName = "ACME";
    EXPECT_EQ(SegmentCount(client, {"", CarrierMobile, Chars(120), true, 0}), 1u);
}

TEST(PrepareContentTest, MissingLengthsFallBackToTheClassDefaults) {
    const TZpClient unread;  // before the profile is read: every length 0
    const PrepareCase cases[] = {
        {"mobile 60", CarrierMobile, Chars(60), false, 1},
        {"mobile 61", CarrierMobile, Chars(61), false, 2},
        {"unicom 70", CarrierUnicom, Chars(70), false, 1},
        {"unicom 71", CarrierUnicom, Chars(71), false, 2},
        {"phs 46", CarrierPhs, Chars(46), false, 2},
        {"808 mobile 120", CarrierMobile, Chars(120), true, 1},
        {"empty text", CarrierMobile, u"", false, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(SegmentCount(unread, c), c.segments) << c.name;

    // A short name too long even for the default length is left out of the allowance.
    TZpClient longName;
    longName.UseShortName = true;
    longName.SharedShortName = true;
    longName.ShortName = std::string(70, 'N');
    auto action = CreateAction<TZpMassSendAction>(longName);
    action->PrepareContent(Chars(61), CarrierMobile, false);
    ASSERT_EQ(action->Segments.size(), 2u);
    EXPECT_EQ(action->Segments[0], std::string(57, 'a') + "(1)");
}

TEST(PrepareContentTest, UnknownCarrierLeavesSegmentsAlone) {
    TZpClient client = ProfileClient();
    auto action = CreateAction<TZpMassSendAction>(client);
    action->Segments = {"kept"};
    action->PrepareContent(u"text", static_cast<TZpCarrier>(3), false);
    EXPECT_EQ(action->Segments, TZpStrings{"kept"});
}

}  // namespace
}  // namespace nuv::test
