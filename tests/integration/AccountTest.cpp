// Balance, server state, content check, password change, received messages and the profile
// through the exports against the gateway simulator.
#include "SimulatorFixture.h"
#include "TestUtil.h"

namespace nuv::test {
namespace {

using nuvsim::Fault;
namespace command = nuvsim::command;

const std::string kEnterpriseLine = Hex("C6 F3 D2 B5 49 44 3D");              // 企业ID=
const std::string kShortNameLine = Hex("C6 F3 D2 B5 BC F2 B3 C6 3D");         // 企业简称=
const std::string kTestName = Hex("B2 E2 CA D4");                             // 测试
const std::string kUnspecified = Hex("CE B4 D6 B8 C3 F7 B5 C4 B4 ED CE F3");  // 未指明的错误

class AccountTest : public SimulatorTest {
  protected:
    // The body of the only request recorded since the last ClearRequests.
    std::string OnlyRequestBody(uint8_t code) {
        auto requests = gateway.Requests();
        EXPECT_EQ(requests.size(), 1u);
        if (requests.size() != 1) return {};
        EXPECT_EQ(requests[0].CommandCode, code);
        return requests[0].Body;
    }
    // The next answer of Code carries Body instead of the gateway's own.
    void AnswerNext(uint8_t code, const std::string& body) {
        gateway.AddFault(Fault::RawAnswer(nuvsim::BuildPacket(code, body)).OnlyFor(code));
    }
};

TEST_F(AccountTest, BalanceOfClientTypeCIsTheSecondNumber) {
    int32_t h = LoggedIn();
    ASSERT_TRUE(gateway.SetBalance("alice", 500));
    int32_t balance = 0;
    EXPECT_EQ(ZpQueryAccu(h, &balance), 0);
    EXPECT_EQ(balance, 500);
    EXPECT_EQ(Port(h).GetClient().Balance, 500);
    EXPECT_EQ(LastText(h), Hex("B2 E9 D1 AF D5 CB BB A7 B3 C9 B9 A6"));  // 查询账户成功
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kQueryAccu)), "67 12 00 00 43");
    // The gateway's answer for type C holds another figure before the balance.
    EXPECT_EQ(ToHex(gateway.Requests()[0].AnswerBody), "00 67 12 00 00 00 00 00 00 F4 01 00 00");

    // Sends spend points; the next query sees it. Without a place only the status comes back.
    EXPECT_TRUE(gateway.Charge("alice", 120));
    EXPECT_FALSE(gateway.Charge("alice", 381));
    EXPECT_EQ(ZpQueryAccu(h, nullptr), 0);
    EXPECT_EQ(Port(h).GetClient().Balance, 380);
}

TEST_F(AccountTest, RefusedOrUnconnectedBalanceGivesMinusOne) {
    int32_t h = LoggedIn();
    const int32_t before = Port(h).GetClient().Balance;
    gateway.RemoveAccount("alice");
    int32_t balance = 0;
    EXPECT_EQ(ZpQueryAccu(h, &balance), 7777);
    EXPECT_EQ(balance, -1);
    EXPECT_EQ(LastText(h), kUnspecified);
    EXPECT_EQ(Port(h).GetClient().Balance, before);

    int32_t idle = Open();
    balance = 0;
    EXPECT_EQ(ZpQueryAccu(idle, &balance), 10054);
    EXPECT_EQ(balance, -1);
    EXPECT_EQ(ZpGetLastErrorCode(idle), 10054);
}

TEST_F(AccountTest, ServerState) {
    int32_t h = LoggedIn();
    gateway.SetBusyLevel(3);
    int32_t level = 0;
    EXPECT_EQ(ZpQueryServerState(h, &level), 0);
    EXPECT_EQ(level, 3);
    EXPECT_EQ(OnlyRequestBody(command::kExtendService), "QueryServerState\r\n\r\n");

    AnswerNext(command::kExtendService, "+OK\r\n\r\nother=1");  // no busy level in it
    EXPECT_EQ(ZpQueryServerState(h, &level), 0);
    EXPECT_EQ(level, -1);

    AnswerNext(command::kExtendService, "-ERR\r\n\r\n\r\nbusy");
    level = 0;
    EXPECT_EQ(ZpQueryServerState(h, &level), 7777);
    EXPECT_EQ(level, -1);
    EXPECT_EQ(ZpQueryServerState(h, nullptr), 0);

    int32_t idle = Open();
    EXPECT_EQ(ZpQueryServerState(idle, &level), 10054);
    EXPECT_EQ(level, -1);
}

TEST_F(AccountTest, ContentCheckLeavesTheRemarkAsLastText) {
    int32_t h = LoggedIn();
    const std::string forbidden = Hex("CE A5 BD FB");  // 违禁
    gateway.SetForbiddenWords({forbidden});
    const std::string text = Hex("D5 E2 CA C7") + forbidden + Hex("C4 DA C8 DD");  // 这是违禁内容
    EXPECT_EQ(ZpCheckContent(h, text.c_str()), 7035);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7035);
    // 含有禁止的词语: 违禁
    EXPECT_EQ(ToHex(LastText(h)),
              ToHex(Hex("BA AC D3 D0 BD FB D6 B9 B5 C4 B4 CA D3 EF 3A 20") + forbidden));
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kCheckContent)), ToHex(Hex("0C 00 00 00") + text));

    // An acceptable text: status 0, and the remark again in place of the status text.
    EXPECT_EQ(ZpCheckContent(h, "hello"), 0);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(LastText(h), Hex("C9 F3 BA CB CD A8 B9 FD"));  // 审核通过

    gateway.ClearRequests();
    EXPECT_EQ(ZpCheckContent(h, nullptr), 0);
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kCheckContent)), "00 00 00 00");

    int32_t idle = Open();
    EXPECT_EQ(ZpCheckContent(idle, "hello"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(idle), 10054);
    EXPECT_EQ(LastText(idle), "");
}

TEST_F(AccountTest, RefusedPasswordChangeKeepsTheOldPassword) {
    int32_t h = LoggedIn();
    EXPECT_EQ(ZpModifyPwd(h, ""), 7777);  // the gateway wants a new password
    EXPECT_EQ(LastText(h), kUnspecified);
    EXPECT_EQ(Port(h).GetClient().Password, "secret");
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kModifyPwd)),
              ToHex(Hex("67 12 00 00 43 00 00 00 00 00 00 00") + "secret" + std::string(6, '\0') +
                    std::string(12, '\0')));

    ASSERT_EQ(ZpLogout(h), 0);
    EXPECT_EQ(ZpLogin(h, "alice", Port(h).GetClient().Password.c_str()), 0);
}

TEST_F(AccountTest, PasswordChangeStoresTheWholeNewText) {
    int32_t h = LoggedIn();
    const std::string next = "n3wPassword12AB";  // 15 bytes; 12 of them travel
    EXPECT_EQ(ZpModifyPwd(h, next.c_str()), 0);
    EXPECT_EQ(LastText(h), Hex("D0 DE B8 C4 C3 DC C2 EB B3 C9 B9 A6"));  // 修改密码成功
    EXPECT_EQ(Port(h).GetClient().Password, next);
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kModifyPwd)),
              ToHex(Hex("67 12 00 00 43 00 00 00 00 00 00 00") + "secret" + std::string(6, '\0') +
                    "n3wPassword1"));

    ASSERT_EQ(ZpLogout(h), 0);
    EXPECT_EQ(ZpLogin(h, "alice", Port(h).GetClient().Password.c_str()), 0);
    ASSERT_EQ(ZpLogout(h), 0);
    EXPECT_EQ(ZpLogin(h, "alice", "secret"), 7011);
}

TEST_F(AccountTest, ReceiveHandsBackTheReplyUnparsed) {
    int32_t h = LoggedIn();
    gateway.QueueReceived("alice", "13900000001 first");
    gateway.QueueReceived("alice", "13900000002 second");
    gateway.QueueReceived("alice", "13900000003 third");
    char buffer[256];
    int32_t length = -5;
    EXPECT_EQ(ZpReceive(h, "2", buffer, &length), 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length)),
              "13900000001 first\r\n13900000002 second\r\n");
    EXPECT_EQ(OnlyRequestBody(command::kExtendService), "RecvMessageEx\r\n\r\n2");
    EXPECT_EQ(LastText(h), Hex("BD D3 CA D5 B6 CC D0 C5 B3 C9 B9 A6"));  // 接收短信成功

    EXPECT_EQ(ZpReceive(h, nullptr, buffer, &length), 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length)), "13900000003 third\r\n");
    length = -5;
    EXPECT_EQ(ZpReceive(h, "", buffer, &length), 0);  // nothing waiting: empty, still success
    EXPECT_EQ(length, 0);
    EXPECT_EQ(gateway.QueuedReceived("alice"), 0u);

    AnswerNext(command::kExtendService, "-ERR\r\n\r\n\r\nno");
    length = -5;
    EXPECT_EQ(ZpReceive(h, "", buffer, &length), 7777);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(LastText(h), Hex("BD D3 CA D5 B6 CC D0 C5 CA A7 B0 DC 3A") + "no");  // 接收短信失败:

    int32_t idle = Open();
    length = -5;
    EXPECT_EQ(ZpReceive(idle, "", buffer, &length), 10054);
    EXPECT_EQ(length, 0);
}

TEST_F(AccountTest, ProfileTextHasTheEnterpriseLinesInFront) {
    int32_t h = LoggedIn();
    char buffer[2048];
    int32_t length = 0;
    AnswerNext(command::kExtendService, "+OK\r\n\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(ZpSwapUserInfo(h, buffer, &length), 0);
    EXPECT_EQ(ToHex(std::string(buffer, static_cast<size_t>(length))),
              ToHex(kEnterpriseLine + "4711\r\n" + kShortNameLine + kTestName + "\r\n" +
                    "A=1\r\nB=2\r\n" + kShortNameLine + kTestName));
    EXPECT_EQ(OnlyRequestBody(command::kExtendService), "SwapUserInfo\r\n\r\n");
    EXPECT_EQ(Port(h).GetClient().MobileLength, 60);  // the profile above has no lengths

    // The gateway's own profile has no final line break, so the short name joins its last line.
    EXPECT_EQ(ZpSwapUserInfo(h, buffer, &length), 0);
    const std::string text(buffer, static_cast<size_t>(length));
    EXPECT_NE(text.find(Hex("D0 A1 C1 E9 CD A8 B9 B2 CF ED BC F2 B3 C6 3D CA C7") + kShortNameLine +
                        kTestName),  // 小灵通共享简称=是企业简称=测试
              std::string::npos);
    EXPECT_EQ(Port(h).GetClient().MobileLength, 70);

    // A refused read hands back the two lines alone and leaves the profile fields alone.
    AnswerNext(command::kExtendService, "-ERR\r\n\r\n\r\nno");
    EXPECT_EQ(ZpSwapUserInfo(h, buffer, &length), 7777);
    EXPECT_EQ(ToHex(std::string(buffer, static_cast<size_t>(length))),
              ToHex(kEnterpriseLine + "4711\r\n" + kShortNameLine + kTestName + "\r\n"));
    EXPECT_EQ(Port(h).GetClient().MobileLength, 70);
}

TEST_F(AccountTest, ProfileTextOfAnUnconnectedHandle) {
    char buffer[256];
    int32_t length = 0;
    int32_t fresh = Open();
    EXPECT_EQ(ZpSwapUserInfo(fresh, buffer, &length), 10054);
    EXPECT_EQ(ToHex(std::string(buffer, static_cast<size_t>(length))),
              ToHex(kEnterpriseLine + "0\r\n" + kShortNameLine + "\r\n"));

    // After a logout the lines keep what the last login gave.
    int32_t h = LoggedIn();
    ASSERT_EQ(ZpLogout(h), 0);
    Port(h).GetClient().EnterpriseId = -4711;
    EXPECT_EQ(ZpSwapUserInfo(h, buffer, &length), 10054);
    EXPECT_EQ(ToHex(std::string(buffer, static_cast<size_t>(length))),
              ToHex(kEnterpriseLine + "-4711\r\n" + kShortNameLine + kTestName + "\r\n"));
}

TEST_F(AccountTest, ChargeCalculationAgainstTheBalance) {
    int32_t h = LoggedIn();
    ASSERT_TRUE(gateway.SetBalance("alice", 500));
    TZpNetPort& port = Port(h);
    EXPECT_EQ(port.CalcCharge(500), 0);
    EXPECT_EQ(ToHex(OnlyRequestBody(command::kCalcCharge)), "67 12 00 00 F4 01 00 00");
    EXPECT_EQ(port.CalcCharge(501), 7020);
    EXPECT_EQ(LastText(h), Hex("B7 D1 D3 C3 B2 BB D7 E3"));  // 费用不足
    EXPECT_EQ(gateway.Balance("alice"), 500);                // asking charges nothing
}

TEST_F(AccountTest, UnknownHandleGivesMinusOne) {
    char buffer[16];
    int32_t length = 7, value = 7;
    EXPECT_EQ(ZpQueryAccu(-1, &value), -1);
    EXPECT_EQ(ZpQueryServerState(123456789, &value), -1);
    EXPECT_EQ(ZpCheckContent(-1, "x"), -1);
    EXPECT_EQ(ZpModifyPwd(-1, "x"), -1);
    EXPECT_EQ(ZpReceive(-1, "", buffer, &length), -1);
    EXPECT_EQ(ZpSwapUserInfo(-1, buffer, &length), -1);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(length, 7);
}

}  // namespace
}  // namespace nuv::test
