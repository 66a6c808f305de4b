// The operating-system layer: code pages, socket error numbers and texts, clock.
#include <gtest/gtest.h>

#include <cerrno>

#include "TestUtil.h"
#include "platform/Platform.h"

namespace nuv::platform {
namespace {

using test::Hex;

TEST(CodePage, GbkRoundTrips) {
    const std::string gbk = Hex("C4 E3 BA C3 41");  // 你好A
    EXPECT_EQ(GbkToUtf16(gbk), u"你好A");
    EXPECT_EQ(Utf16ToGbk(u"你好A"), gbk);
    EXPECT_EQ(Utf8ToGbk("你好A"), gbk);
    EXPECT_EQ(GbkToUtf8(gbk), "你好A");
    EXPECT_EQ(GbkToUtf16(""), u"");
}

TEST(CodePage, BadBytesAreReplacedNotFatal) {
    // A lead byte with no trail byte, and a byte that is no GBK lead at all.
    EXPECT_EQ(GbkToUtf16("A\xC4"), u"A\uFFFD");
    EXPECT_EQ(GbkToUtf16("\xFF"
                         "B"),
              u"\uFFFDB");
    EXPECT_EQ(Utf16ToGbk(u"x\U0001F600y"), "x??y");  // not representable in GBK
    EXPECT_EQ(Utf8ToGbk("a\xFF"
                        "b"),
              "a?b");
}

TEST(Sockets, ErrnoMapsToWinsockNumbers) {
    struct Case {
        int e;
        int code;
    } cases[] = {{ECONNREFUSED, 10061}, {ECONNRESET, 10054},  {ETIMEDOUT, 10060},
                 {EHOSTUNREACH, 10065}, {ENETUNREACH, 10051}, {EADDRINUSE, 10048},
                 {ENOTCONN, 10057},     {EPIPE, 10054},       {ENOENT, ENOENT}};
    for (const auto& c : cases) EXPECT_EQ(WinsockErrorFromErrno(c.e), c.code) << c.e;
}

TEST(Sockets, ErrorTextsAreTheSystemMessagesTrimmed) {
    for (int code : {10061, 10054, 10060}) {
        std::string text = SocketErrorText(code);
        ASSERT_FALSE(text.empty()) << code;
        EXPECT_NE(text.back(), '.');
        EXPECT_GT(static_cast<unsigned char>(text.back()), 0x20);
        EXPECT_LE(text.size(), 256u);
    }
    EXPECT_EQ(SocketErrorText(10061), "Connection refused");
}

TEST(Sockets, ParseIPv4FollowsInetAddr) {
    uint32_t a = 0;
    EXPECT_TRUE(ParseIPv4("127.0.0.1", a));
    EXPECT_EQ(a, 0x0100007Fu);  // network order in memory
    EXPECT_FALSE(ParseIPv4("255.255.255.255", a));
    EXPECT_FALSE(ParseIPv4("localhost", a));
    EXPECT_FALSE(ParseIPv4("", a));
}

TEST(Sockets, ConnectToAClosedPortIsRefused) {
    SocketHandle s = OpenTcpSocket();
    ASSERT_NE(s, kNoSocket);
    uint32_t a = 0;
    ASSERT_TRUE(ParseIPv4("127.0.0.1", a));
    // Port 1 on loopback has no listener on a test machine.
    EXPECT_FALSE(ConnectTcp(s, a, 1, 2000));
    EXPECT_EQ(LastSocketError(), 10061);
    CloseSocket(s);
}

TEST(Clock, TicksAdvanceAndCalendarIsSane) {
    uint32_t before = TickCount();
    SleepMs(5);
    EXPECT_GE(static_cast<uint32_t>(TickCount() - before), 5u);
    CalendarTime now = LocalNow();
    EXPECT_GE(now.Year, 2020);
    EXPECT_TRUE(now.Month >= 1 && now.Month <= 12);
    EXPECT_TRUE(now.Millisecond >= 0 && now.Millisecond < 1000);
    EXPECT_EQ(TimeSeparator(), ':');
}

TEST(Module, FolderEndsWithASeparator) {
    std::string folder = ModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
}

}  // namespace
}  // namespace nuv::platform
