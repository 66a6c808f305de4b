// Login, keep-alive and logout through the exports against the gateway simulator.
#include <chrono>
#include <cstdlib>

#include "SimulatorFixture.h"
#include "TestUtil.h"

namespace nuv::test {
namespace {

using nuvsim::Fault;
using nuvsim::FaultKind;
namespace command = nuvsim::command;

const std::string kProfileReadOk = Hex("B6 C1 C8 A1 B5 B5 B0 B8 B3 C9 B9 A6");  // 读取档案成功

TEST_F(SimulatorTest, LoginReadsTheProfileAndLogoutCloses) {
    nuvsim::Account bob;
    bob.User = "bob";
    bob.Password = "pw";
    bob.EnterpriseId = -3;
    bob.ShortName = "BOB";
    bob.AuxServer = "files.example:2121";
    bob.ProfileValues = {{platform::Utf8ToGbk("移动长度"), " 80"},
                         {platform::Utf8ToGbk("联通长度"), "80 "},
                         {platform::Utf8ToGbk("共享简称"), platform::Utf8ToGbk("否")},
                         {platform::Utf8ToGbk("剩余点数"), "1234"}};
    gateway.AddAccount(bob);

    int32_t h = Open();
    EXPECT_EQ(ZpLogin(h, "bob", "pw"), 0);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(LastText(h), kProfileReadOk);  // the profile read's status, not the login's

    const TZpClient& c = Port(h).GetClient();
    EXPECT_TRUE(Port(h).GetConnected());
    EXPECT_TRUE(c.LoggedIn);
    EXPECT_EQ(c.EnterpriseId, -3);
    EXPECT_EQ(c.ShortName, "BOB");
    EXPECT_EQ(c.AuxServerHost, "files.example");
    EXPECT_EQ(c.AuxServerPort, 2121);
    EXPECT_EQ(c.MobileLength, 80);
    EXPECT_EQ(c.UnicomLength, 70);  // "80 " is not a number
    EXPECT_EQ(c.PhsLength, 45);     // absent
    EXPECT_FALSE(c.SharedShortName);
    EXPECT_TRUE(c.UnicomSharedShortName);
    EXPECT_EQ(c.Balance, 1234);
    EXPECT_EQ(c.LastStatusText, kProfileReadOk);
    EXPECT_GT(c.LastActivity, 0.0);

    EXPECT_EQ(ZpKeepAlive(h), 0);
    EXPECT_EQ(LastText(h), Hex("B1 A3 B3 D6 C1 AC BD D3 B3 C9 B9 A6"));  // 保持连接成功
    EXPECT_EQ(ZpLogout(h), 0);
    EXPECT_EQ(LastText(h), Hex("CD CB B3 F6 B5 C7 C2 BC B3 C9 B9 A6"));  // 退出登录成功
    EXPECT_FALSE(Port(h).GetConnected());

    // One connection carried login, profile, keep-alive and logout, in that order.
    auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const uint8_t expected[] = {command::kLogin, command::kExtendService, command::kKeepAlive,
                                command::kLogout};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(requests[i].CommandCode, expected[i]);
        EXPECT_EQ(requests[i].ConnectionId, requests[0].ConnectionId);
    }
    EXPECT_EQ(requests[1].Body, "SwapUserInfo\r\n\r\n");
    EXPECT_TRUE(requests[2].Body.empty());
    EXPECT_EQ(LogTexts(h), (std::vector<std::string>{
                               Hex("CF B5 CD B3 B5 C7 C2 BC"), Hex("B6 C1 C8 A1 B5 B5 B0 B8"),
                               Hex("BC EC B2 E2 C1 AC BD D3"), Hex("B6 CF BF AA C1 AC BD D3"),
                               Hex("B9 D8 B1 D5 C1 AC BD D3")}));
}

TEST_F(SimulatorTest, LoginRequestIsTheExact37Bytes) {
    int32_t h = Open();
    ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0);
    auto requests = gateway.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(ToHex(requests[0].Body),
              ToHex("alice       secret      C" + Hex("13000000 02000000 CD000000")));

    // Null texts are empty, padded to twelve spaces each; longer names are cut to 12 bytes.
    int32_t n = Open();
    ZpLogin(n, nullptr, "abcdefghijklmn");
    requests = gateway.Requests();
    const auto& body = requests[2].Body;
    ASSERT_EQ(body.size(), 37u);
    EXPECT_EQ(body.substr(0, 24), std::string(12, ' ') + "abcdefghijkl");
}

TEST_F(SimulatorTest, RefusedLoginsKeepTheConnectionAndStillReadTheProfile) {
    struct Case {
        const char* user;
        const char* password;
        int32_t code;
    } cases[] = {{"alice", "wrong", 7011}, {"nobody", "x", 7010}};
    for (const auto& c : cases) {
        gateway.ClearRequests();
        int32_t h = Open();
        EXPECT_EQ(ZpLogin(h, c.user, c.password), c.code);
        EXPECT_TRUE(Port(h).GetConnected());
        EXPECT_FALSE(Port(h).GetClient().LoggedIn);
        auto requests = gateway.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].CommandCode, command::kExtendService);
        // The last error belongs to the profile read, which a refused session cannot pass.
        EXPECT_NE(ZpGetLastErrorCode(h), c.code);
    }
}

TEST_F(SimulatorTest, OperationsWithoutAConnection) {
    int32_t h = Open();
    EXPECT_EQ(ZpKeepAlive(h), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);  // unchanged
    EXPECT_EQ(Port(h).GetLog().Count(), 0);

    EXPECT_EQ(ZpLogout(h), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 10054);
    EXPECT_EQ(LastText(h), Hex("B5 C8 B4 FD D6 B4 D0 D0"));  // 等待执行
    EXPECT_EQ(LogTexts(h), (std::vector<std::string>{Hex("B6 CF BF AA C1 AC BD D3"),
                                                     Hex("B9 D8 B1 D5 C1 AC BD D3")}));
    EXPECT_TRUE(gateway.Requests().empty());
}

TEST_F(SimulatorTest, ConnectionFailuresReport10054WithTheReasonAsLastError) {
    // A loopback port with nothing listening: take the simulator's port, then stop it.
    nuvsim::Gateway closed;
    ASSERT_TRUE(closed.Start());
    const uint16_t port = closed.Port();
    closed.Stop();
    int32_t h = ZpOpen("127.0.0.1", port);
    EXPECT_EQ(ZpLogin(h, "alice", "secret"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 10061);
    EXPECT_FALSE(LastText(h).empty());
    ZpClose(h);

    // A relay route (an unknown proxy type) with a proxy host that is a name, not dotted text.
    int32_t r = ZpProxyOpen("127.0.0.1", gateway.Port(), 7, "localhost", gateway.Port(), "", "");
    EXPECT_EQ(ZpLogin(r, "alice", "secret"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(r), 7000);
    EXPECT_EQ(LastText(r), Hex("B7 FE CE F1 C6 F7 B5 D8 D6 B7 CE DE D0 A7"));  // 服务器地址无效
    ZpClose(r);
}

TEST_F(SimulatorTest, RelayRouteTalksPacketsToTheProxyAddress) {
    int32_t r = ZpProxyOpen("10.255.255.1", 9900, 7, "127.0.0.1", gateway.Port(), "", "");
    ASSERT_GT(r, 0);
    EXPECT_EQ(ZpLogin(r, "alice", "secret"), 0);
    EXPECT_EQ(ZpKeepAlive(r), 0);
    EXPECT_EQ(ZpLogout(r), 0);
    ZpClose(r);
}

TEST_F(SimulatorTest, SilentServerTimesOutAndDisconnects) {
    int32_t h = Open(300);
    ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0);
    gateway.AddFault(Fault::Of(FaultKind::NoAnswer).OnlyFor(command::kKeepAlive));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ZpKeepAlive(h), 7002);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    // It waited for the time-out, and not much longer.
    EXPECT_GE(elapsed.count(), 300);
    EXPECT_LT(elapsed.count(), 1300);
    RecordProperty("timeout_elapsed_ms", static_cast<int>(elapsed.count()));
    EXPECT_EQ(LastText(h), Hex("CD F8 C2 E7 B2 D9 D7 F7 B3 AC CA B1"));  // 网络操作超时
    EXPECT_FALSE(Port(h).GetConnected());
    auto log = LogTexts(h);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], Hex("B9 D8 B1 D5 C1 AC BD D3"));           // 关闭连接
    EXPECT_EQ(log.back(), Hex("BD D3 CA D5 CF FB CF A2 CD B7 B3 AC CA B1"));  // 接收消息头超时
    EXPECT_EQ(ZpKeepAlive(h), 10054);
}

TEST_F(SimulatorTest, DamagedAnswers) {
    struct Case {
        Fault fault;
        int32_t code;
        bool connectedAfter;
        const char* what;
    } cases[] = {
        {Fault::Of(FaultKind::BadChecksum), 7001, true, "checksum off by one"},
        {Fault::RawAnswer(Hex("4D 48 05 00 EA 07 0C 06 08 22 2D 03")), 7001, true,
         "length below 13"},
        {Fault::Of(FaultKind::CloseAfterHeader), 7002, false, "closed after the header"},
        {Fault::Of(FaultKind::CloseMidBody), 7002, false, "closed mid-body"},
        {Fault::Of(FaultKind::SplitBytes), 0, true, "one byte per segment"},
    };
    for (const auto& c : cases) {
        int32_t h = Open(1000);
        ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0) << c.what;
        gateway.AddFault(Fault(c.fault).OnlyFor(command::kKeepAlive));
        EXPECT_EQ(ZpKeepAlive(h), c.code) << c.what;
        EXPECT_EQ(Port(h).GetConnected(), c.connectedAfter) << c.what;
        gateway.ClearFaults();
    }
}

TEST_F(SimulatorTest, AnswersInOneByteSegmentsAreReassembled) {
    gateway.AddFault(Fault::Of(FaultKind::SplitBytes).Always());
    int32_t h = Open();
    EXPECT_EQ(ZpLogin(h, "alice", "secret"), 0);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(Port(h).GetClient().ShortName, platform::Utf8ToGbk("测试"));
    EXPECT_EQ(Port(h).GetClient().UnicomLength, 70);
}

TEST_F(SimulatorTest, CloseSendsNothingAndNoSocketLeaks) {
    const int before = OpenDescriptors();
    for (int round = 0; round < 3; ++round) {
        int32_t h = ZpOpen("127.0.0.1", gateway.Port());
        ZpSetTimeout(h, 500);
        ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0);
        ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0);  // a second login replaces the connection
        EXPECT_EQ(ZpLogout(h), 0);
        EXPECT_EQ(ZpLogin(h, "alice", "wrong"), 7011);
        gateway.AddFault(Fault::Of(FaultKind::CloseAfterHeader).OnlyFor(command::kKeepAlive));
        EXPECT_EQ(ZpKeepAlive(h), 7002);
        ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0);
        const size_t requestsBefore = gateway.Requests().size();
        EXPECT_EQ(ZpClose(h), 0);  // connected: closed without a logout
        EXPECT_EQ(gateway.Requests().size(), requestsBefore);
    }
    EXPECT_TRUE(gateway.WaitOpenConnectionCount(0, std::chrono::seconds(5)));
    EXPECT_EQ(OpenDescriptors(), before);
}

}  // namespace
}  // namespace nuv::test

namespace nuv::test {
namespace {

// A host that ends while a handle is still connected: the library closes it during process exit,
// after the host's own code has gone, and must not fault doing so.
TEST_F(SimulatorTest, ProcessExitWithAConnectedHandleIsClean) {
    const uint16_t port = gateway.Port();
    EXPECT_EXIT(
        {
            // A logout first, so the texts of closing exist before the process ends.
            int32_t h = ZpOpen("127.0.0.1", port);
            if (ZpLogin(h, "alice", "secret") != 0 || ZpLogout(h) != 0) std::exit(3);
            if (ZpLogin(h, "alice", "secret") != 0) std::exit(3);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace nuv::test
