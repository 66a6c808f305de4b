// The send exports end to end against the gateway simulator.
#include <cstdlib>
#include <string>
#include <vector>

#include "SimulatorFixture.h"
#include "TestUtil.h"
#include "actions/MassSendAction.h"
#include "net/Net.h"

namespace nuv::test {
namespace {

using nuvsim::Fault;
using nuvsim::FaultKind;
namespace command = nuvsim::command;

const std::string kSendOk = Hex("C8 BA B7 A2 B6 CC D0 C5 B3 C9 B9 A6");  // 群发短信成功
const std::string kRefused = Hex("C8 BA B7 A2 B6 CC D0 C5 B1 BB BE DC BE F8");  // 群发短信被拒绝
const std::string kBadNumber = Hex("BD D3 CA D5 BA C5 C2 EB CE DE D0 A7");   // 接收号码无效
const std::string kBadContent = Hex("B6 CC D0 C5 C4 DA C8 DD B7 C7 B7 A8");  // 短信内容非法
const std::string kNoBalance = Hex("B7 D1 D3 C3 B2 BB D7 E3");               // 费用不足
const std::string kWaiting = Hex("B5 C8 B4 FD D6 B4 D0 D0");                 // 等待执行
// 2024-01-02 03:04:05 as 100-ns ticks since 1601, little-endian.
const std::string kTicks = Hex("80 C0 48 58 28 3D DA 01");

std::string Zeros(size_t n) {
    return std::string(n, '\0');
}

// The caller's side of a mass send: buffers with sentinels, and what came back.
struct Results {
    static constexpr int32_t kUntouched = -7;
    std::vector<char> success = std::vector<char>(1 << 20, '#');
    std::vector<char> fail = std::vector<char>(1 << 20, '#');
    int32_t successLength = kUntouched;
    int32_t failLength = kUntouched;
    std::string Success() const {
        return successLength < 0 ? std::string() : std::string(success.data(), successLength);
    }
    std::string Fail() const {
        return failLength < 0 ? std::string() : std::string(fail.data(), failLength);
    }
};

class SendTest : public SimulatorTest {
  protected:
    int32_t MassSend(int32_t h, const std::string& mobiles, const std::string& content,
                     Results& r) {
        return ZpMassSend(h, mobiles.c_str(), content.c_str(), r.success.data(), r.fail.data(),
                          &r.successLength, &r.failLength);
    }
    std::vector<nuvsim::RecordedRequest> Sends() {
        std::vector<nuvsim::RecordedRequest> sends;
        for (auto& request : gateway.Requests())
            if (request.CommandCode == command::kMassSend) sends.push_back(request);
        return sends;
    }
};

// The body of a single send without its send time, which is the time the command was made.
TEST_F(SendTest, SingleSendRequestBytes) {
    int32_t h = LoggedIn();
    const TDateTime before = Now();
    EXPECT_EQ(ZpSingleSend(h, "13812345678", "Hi"), 0);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(LastText(h), kSendOk);
    auto sends = Sends();
    ASSERT_EQ(sends.size(), 1u);
    std::string body = sends[0].Body;
    ASSERT_EQ(body.size(), 179u);
    const int64_t ticks = TZpMassSendAction::FileTimeTicks(before);
    int64_t sent = 0;
    for (int i = 7; i >= 0; --i) sent = sent * 256 + static_cast<unsigned char>(body[8 + i]);
    EXPECT_GE(sent, ticks - 10000000);
    EXPECT_LE(sent, ticks + 600000000);  // within a minute of the call
    body.replace(8, 8, Zeros(8));
    EXPECT_EQ(ToHex(body), ToHex(Hex("65000000 0000 0000") + Zeros(8) + Zeros(4) + "Hi" +
                                 Zeros(138) + Hex("01000000") + "13812345678" + Zeros(4)));
}

// A scheduled send carries the calendar fields of the text, whatever the machine's time zone.
TEST_F(SendTest, ScheduledSendCarriesTheLocalTimeInAnyZone) {
    int32_t h = LoggedIn();
    const char* saved = std::getenv("TZ");
    const std::string savedTz = saved ? saved : "";
    for (const char* zone : {"UTC0", "CST-8", "EST5EDT,M3.2.0,M11.1.0", "NZST-12"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        gateway.ClearRequests();
        EXPECT_EQ(ZpSingleSendAtTime(h, "2024-01-02 03:04:05", "13812345678", "Hi"), 0) << zone;
        auto sends = Sends();
        ASSERT_EQ(sends.size(), 1u);
        EXPECT_EQ(ToHex(sends[0].Body),
                  ToHex(Hex("65000000 0100 0000") + kTicks + Zeros(4) + "Hi" + Zeros(138) +
                        Hex("01000000") + "13812345678" + Zeros(4)))
            << zone;
    }
    saved ? ::setenv("TZ", savedTz.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    auto messages = gateway.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_TRUE(messages.back().Scheduled);
    EXPECT_EQ(messages.back().SendTime, "2024-01-02 03:04:05.000");
}

TEST_F(SendTest, ExtendedAndMultiSendRequestBytes) {
    int32_t h = LoggedIn();
    Results r;
    EXPECT_EQ(ZpMassSendAtTimeEx(h, "2024-01-02 03:04:05", "8", "13812345678\r\n13912345678", "Hi",
                                 r.success.data(), r.fail.data(), &r.successLength, &r.failLength),
              0);
    // The default profile gives class 0 70 characters; type 808 doubles that for a single-byte
    // text, so 141 characters make pieces of 137 and 4.
    const std::string text(141, 'x');
    EXPECT_EQ(ZpMultiSend(h, 808, "2024-01-02 03:04:05", "99", "13812345678", text.c_str(),
                          r.success.data(), r.fail.data(), &r.successLength, &r.failLength),
              0);
    auto sends = Sends();
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(ToHex(sends[0].Body), ToHex(Hex("65000000 0500 0000") + kTicks + Zeros(4) + "Hi" +
                                          Zeros(138) + Hex("03000000") + "13812345678" + Zeros(4) +
                                          "13912345678" + Zeros(4) + "8" + Zeros(14)));
    EXPECT_EQ(ToHex(sends[1].Body),
              ToHex(Hex("28030000 0700 0100") + kTicks + Zeros(4) + std::string(137, 'x') + "(1)" +
                    Hex("02000000") + "13812345678" + Zeros(4) + "99" + Zeros(13) +
                    Hex("07000000") + "xxxx(2)"));
    auto messages = gateway.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].MessageType, 808);
    EXPECT_EQ(messages[1].ExtraNumber, "99");
    EXPECT_EQ(messages[1].Recipients, std::vector<std::string>{"13812345678"});
    EXPECT_EQ(messages[1].Segments,
              (std::vector<std::string>{std::string(137, 'x') + "(1)", "xxxx(2)"}));
}

TEST_F(SendTest, ClassesGoOutInClassOrderAndResultsAreGrouped) {
    int32_t h = LoggedIn();
    Results r;
    EXPECT_EQ(MassSend(h, "07712345678\r\n13012345678\r\n13912345678", "Hi", r), 0);
    auto messages = gateway.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].Recipients, std::vector<std::string>{"13912345678"});
    EXPECT_EQ(messages[1].Recipients, std::vector<std::string>{"13012345678"});
    EXPECT_EQ(messages[2].Recipients, std::vector<std::string>{"07712345678"});
    EXPECT_EQ(r.Success(), "13912345678\r\n13012345678\r\n07712345678\r\n");
    EXPECT_EQ(r.failLength, Results::kUntouched);  // nothing refused: the fail side untouched
    EXPECT_EQ(r.fail[0], '#');
    int sendLines = 0;
    for (const auto& text : LogTexts(h)) sendLines += text == Hex("C8 BA B7 A2 B6 CC D0 C5");
    EXPECT_EQ(sendLines, 3);

    // 130, 139, 131 come back as 139, 130, 131; empty lines are no recipients at all.
    Results again;
    EXPECT_EQ(MassSend(h, "13012345678\n\n13912345678\r\r\n13112345678\n", "Hi", again), 0);
    EXPECT_EQ(again.Success(), "13912345678\r\n13012345678\r\n13112345678\r\n");
    EXPECT_EQ(again.successLength, 39);
    EXPECT_EQ(again.failLength, Results::kUntouched);
}

TEST_F(SendTest, FirstFailureDecidesAndWholeRefusalIsReportedAsPartial) {
    int32_t h = LoggedIn();
    // Class 0 partly refused, class 1 refused whole: 7061 back, the last command's 7060 kept.
    gateway.RefuseNumber("13912345678", 6);
    gateway.RefuseSendsWith("13012345678");
    Results r;
    EXPECT_EQ(MassSend(h, "13012345678\r\n13912345678\r\n13812345678\r\n1391234", "Hi", r), 7061);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7060);
    EXPECT_EQ(LastText(h), kRefused);
    EXPECT_EQ(r.Success(), "13812345678\r\n");
    // Class 0: its locally invalid number, then the refused one; class 1: all of it.
    EXPECT_EQ(r.Fail(), "1391234\r\n13912345678\r\n13012345678\r\n");

    // Class 0 refused whole, class 1 accepted: 7061 back, the last error is class 1's success.
    gateway.ClearSendRules();
    gateway.RefuseSends(1);
    Results s;
    EXPECT_EQ(MassSend(h, "13012345678\r\n13912345678", "Hi", s), 7061);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(LastText(h), kSendOk);
    EXPECT_EQ(s.Success(), "13012345678\r\n");
    EXPECT_EQ(s.Fail(), "13912345678\r\n");

    // One class refused whole: its locally invalid numbers are in the fail list twice and
    // nothing is in the success list.
    gateway.RefuseSends(1);
    Results t;
    EXPECT_EQ(MassSend(h, "1381234\r\n13812345678", "Hi", t), 7061);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7060);
    EXPECT_EQ(t.Fail(), "1381234\r\n1381234\r\n13812345678\r\n");
    EXPECT_EQ(t.successLength, Results::kUntouched);
}

TEST_F(SendTest, SingleSendReportsThePreciseReason) {
    int32_t h = LoggedIn();
    gateway.RefuseNumber("13812345678", 6);
    EXPECT_EQ(ZpSingleSend(h, "13812345678\r\n", "Hi"), 7031);  // a trailing break adds nothing
    EXPECT_EQ(LastText(h), kBadNumber);
    gateway.ClearSendRules();
    gateway.RejectContent("bad");
    EXPECT_EQ(ZpSingleSend(h, "13812345678", "so bad"), 7035);
    EXPECT_EQ(LastText(h), kBadContent);
    // A whole refusal of a single send stays 7060.
    gateway.ClearSendRules();
    gateway.RefuseSends(1);
    EXPECT_EQ(ZpSingleSend(h, "13812345678", "Hi"), 7060);
}

TEST_F(SendTest, TenThousandNumbersOfOneClassArriveWhole) {
    int32_t h = LoggedIn();
    ASSERT_TRUE(gateway.SetBalance("alice", 1000000));
    std::string mobiles, expected;
    for (int i = 0; i < 10000; ++i) {
        const std::string number = "138" + std::to_string(10000000 + i);
        mobiles += number + "\r\n";
        expected += number + "\r\n";
        if (i == 5000) mobiles += "1380000\r\n";  // invalid: stays with the command it is in
    }
    Results r;
    EXPECT_EQ(MassSend(h, mobiles, "Hi", r), 0);
    EXPECT_EQ(r.Success(), expected);
    EXPECT_EQ(r.Fail(), "1380000\r\n");

    // 4357 numbers fit a packet beside a one-segment text: three commands, each well-formed.
    auto sends = Sends();
    ASSERT_EQ(sends.size(), 3u);
    for (const auto& send : sends) {
        EXPECT_LE(send.Raw.size(), 65535u);
        EXPECT_EQ(send.Outcome.rfind("accepted", 0), 0u) << send.Outcome;
    }
    std::string received;
    size_t total = 0;
    for (const auto& message : gateway.Messages()) {
        total += message.Recipients.size();
        for (const auto& number : message.Recipients) received += number + "\r\n";
    }
    EXPECT_EQ(total, 10000u);
    EXPECT_EQ(received, expected);
    EXPECT_EQ(gateway.Balance("alice"), 1000000 - 10000);  // one point per number and segment
}

TEST_F(SendTest, BalanceTooLowRefusesEveryNumber) {
    int32_t h = LoggedIn();
    ASSERT_TRUE(gateway.SetBalance("alice", 10));
    const std::string text(80, 'x');  // two segments for class 0
    EXPECT_EQ(ZpSingleSend(h, "13812345678", text.c_str()), 0);
    EXPECT_EQ(gateway.Balance("alice"), 8);
    Results r;
    EXPECT_EQ(MassSend(h, "13812345678\r\n13912345678\r\n13712345678\r\n13612345678\r\n13512345678",
                       text.c_str(), r),
              7061);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7061);
    EXPECT_EQ(gateway.Balance("alice"), 8);
    EXPECT_EQ(r.successLength, Results::kUntouched);
    EXPECT_EQ(r.Fail(),
              "13812345678\r\n13912345678\r\n13712345678\r\n13612345678\r\n"
              "13512345678\r\n");
    ASSERT_TRUE(gateway.SetBalance("alice", 1));
    EXPECT_EQ(ZpSingleSend(h, "13812345678", text.c_str()), 7020);
    EXPECT_EQ(LastText(h), kNoBalance);
}

TEST_F(SendTest, BuffersAndLengthsFollowTheLists) {
    int32_t h = LoggedIn();
    // Null buffers: sent all the same, lengths untouched.
    int32_t successLength = -7, failLength = -7;
    EXPECT_EQ(
        ZpMassSend(h, "13812345678\r\nabc", "Hi", nullptr, nullptr, &successLength, &failLength),
        0);
    EXPECT_EQ(successLength, -7);
    EXPECT_EQ(failLength, -7);
    EXPECT_EQ(gateway.Messages().size(), 2u);  // abc is a class of its own
    // Two accepted numbers of 11 digits: 26 bytes.
    Results r;
    EXPECT_EQ(MassSend(h, "13812345678\r\n13912345678", "Hi", r), 0);
    EXPECT_EQ(r.successLength, 26);
    EXPECT_EQ(r.success[26], '#');  // no terminating zero
}

TEST_F(SendTest, SendTimes) {
    int32_t h = LoggedIn();
    const int32_t lastCode = ZpGetLastErrorCode(h);
    // Unreadable or empty time texts: -1 and nothing sent.
    EXPECT_EQ(ZpSingleSendAtTime(h, "", "13812345678", "Hi"), -1);
    EXPECT_EQ(ZpSingleSendAtTime(h, "next week", "13812345678", "Hi"), -1);
    EXPECT_EQ(ZpSingleSendAtTime(h, nullptr, "13812345678", "Hi"), -1);
    Results r;
    EXPECT_EQ(ZpMassSendAtTime(h, "2024-13-01", "13812345678", "Hi", r.success.data(),
                               r.fail.data(), &r.successLength, &r.failLength),
              -1);
    // MultiSend reads the text itself: unreadable gives -91, empty sends at once.
    EXPECT_EQ(ZpMultiSend(h, 101, "soon", "", "13812345678", "Hi", r.success.data(), r.fail.data(),
                          &r.successLength, &r.failLength),
              -91);
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(ZpGetLastErrorCode(h), lastCode);
    EXPECT_EQ(r.successLength, Results::kUntouched);
    EXPECT_EQ(ZpMultiSend(h, 101, "", "", "13812345678", "Hi", r.success.data(), r.fail.data(),
                          &r.successLength, &r.failLength),
              0);
    ASSERT_EQ(gateway.Messages().size(), 1u);
    EXPECT_FALSE(gateway.Messages()[0].Scheduled);

    // Every class of a scheduled mass send carries the time.
    gateway.ClearMessages();
    EXPECT_EQ(ZpMassSendAtTime(h, "2024-01-02 03:04", "13012345678\r\n13912345678", "Hi",
                               r.success.data(), r.fail.data(), &r.successLength, &r.failLength),
              0);
    auto messages = gateway.Messages();
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& message : messages) {
        EXPECT_TRUE(message.Scheduled);
        EXPECT_EQ(message.SendTime, "2024-01-02 03:04:00.000");
    }
}

TEST_F(SendTest, WithoutAConnection) {
    int32_t h = Open();
    Results r;
    EXPECT_EQ(MassSend(h, "13812345678", "Hi", r), 10054);
    EXPECT_EQ(r.successLength, Results::kUntouched);
    EXPECT_EQ(r.failLength, Results::kUntouched);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);  // a mass send leaves the last error alone
    EXPECT_TRUE(LogTexts(h).empty());
    EXPECT_EQ(ZpSingleSend(h, "13812345678", "Hi"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 10054);
    EXPECT_EQ(LastText(h), kWaiting);
    EXPECT_EQ(ZpMassSend(-1, "13812345678", "Hi", nullptr, nullptr, nullptr, nullptr), -1);
}

TEST_F(SendTest, EmptyRecipientTextSendsNothing) {
    int32_t h = LoggedIn();
    const int32_t lastCode = ZpGetLastErrorCode(h);
    TZpStrings success{"old"}, fail{"old"};
    EXPECT_EQ(Port(h).MassSend("\r\n\r\n", "Hi", &success, &fail, nullptr), 0);
    EXPECT_TRUE(success.empty());
    EXPECT_TRUE(fail.empty());
    EXPECT_TRUE(Sends().empty());
    EXPECT_EQ(ZpGetLastErrorCode(h), lastCode);
}

TEST_F(SendTest, LostConnectionSkipsTheRemainingClasses) {
    int32_t h = LoggedIn();
    gateway.AddFault(Fault::Of(FaultKind::CloseAfterHeader).OnlyFor(command::kMassSend));
    TZpStrings success, fail;
    const int32_t result =
        Port(h).MassSend("13012345678\r\n13912345678", "Hi", &success, &fail, nullptr);
    EXPECT_NE(result, 0);
    EXPECT_EQ(ZpGetLastErrorCode(h), result);
    EXPECT_FALSE(Port(h).GetConnected());
    EXPECT_EQ(Sends().size(), 1u);  // class 1 never went out
    // Class 0 counts as sent (the server did not refuse it); class 1 is in neither list.
    EXPECT_EQ(success, TZpStrings{"13912345678"});
    EXPECT_TRUE(fail.empty());
}

TEST_F(SendTest, OnFinishedIsCalledOnceWithoutSender) {
    int32_t h = LoggedIn();
    int calls = 0;
    TZpDevice* sender = reinterpret_cast<TZpDevice*>(1);
    const TZpFinished finished = [&](TZpDevice* s) {
        ++calls;
        sender = s;
    };
    EXPECT_EQ(
        Port(h).MassSendEx("", "13812345678\r\n13012345678", "Hi", nullptr, nullptr, finished), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender, nullptr);
    EXPECT_EQ(
        Port(h).MultiSend(101, "bad time", "", "13812345678", "Hi", nullptr, nullptr, finished),
        -91);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace nuv::test
