// The gateway's answers to login, keep-alive, logout, the service channel and other codes.
#include <gtest/gtest.h>

#include "GatewayFixture.h"

namespace nuvsim::test {
namespace {

std::string Int32(std::int32_t value) {
    std::string out;
    PutInt32(out, value);
    return out;
}

std::string Zeros(std::size_t count) {
    return std::string(count, '\0');
}

using GatewayTest = GatewayFixture;

TEST_F(GatewayTest, LoginSuccessAnswersTheSessionDataAndIsRecorded) {
    auto client = Connect();
    const PacketTime sentAt{2030, 1, 2, 3, 4, 5};
    const std::string body = LoginRequestBody("alice", "secret", 'C', 19, 2, 205);
    const std::string request = BuildPacket(command::kLogin, body, sentAt);
    ASSERT_TRUE(client->Send(request));
    std::string raw;
    ASSERT_EQ(client->ReadPacket(raw), ReadStatus::Ok);
    const ParseResult answer = ParsePacket(raw);
    ASSERT_EQ(answer.Status, ParseStatus::Ok);
    EXPECT_EQ(answer.Decoded.Code, command::kLogin);
    EXPECT_EQ(raw.substr(0, 2), "MH");

    const std::string expected = "\x01" + Int32(4711) + kGbkShortName + Zeros(12) +
                                 "aux.example:2121" + Zeros(14) + "one" + Zeros(27) + "two" +
                                 Zeros(27);
    ASSERT_GT(answer.Decoded.Body.size(), expected.size());  // a remark follows
    EXPECT_EQ(answer.Decoded.Body.substr(0, 115), expected);
    // 欢迎使用NUV网关模拟器
    EXPECT_EQ(answer.Decoded.Body.substr(115),
              "\xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3NUV\xCD\xF8\xB9\xD8\xC4\xA3\xC4\xE2\xC6\xF7");

    const std::vector<RecordedRequest> records = gateway->Requests();
    ASSERT_EQ(records.size(), 1u);
    const RecordedRequest& record = records[0];
    EXPECT_EQ(record.Raw, request);
    EXPECT_EQ(record.Body, body);
    EXPECT_EQ(record.CommandCode, command::kLogin);
    EXPECT_EQ(record.Time, sentAt);
    EXPECT_FALSE(record.LoggedIn);
    EXPECT_EQ(record.User, "alice");
    EXPECT_EQ(record.Outcome, "success");
    EXPECT_EQ(record.AnswerBody, answer.Decoded.Body);
    ASSERT_TRUE(record.Login.has_value());
    EXPECT_EQ(record.Login->User, "alice");
    EXPECT_EQ(record.Login->Password, "secret");
    EXPECT_EQ(record.Login->ClientType, 'C');
    EXPECT_EQ(record.Login->ClientCode, 19);
    EXPECT_EQ(record.Login->VersionMajor, 2);
    EXPECT_EQ(record.Login->VersionMinor, 205);

    const std::vector<ConnectionInfo> connections = gateway->Connections();
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_EQ(connections[0].Id, record.ConnectionId);
    EXPECT_EQ(connections[0].User, "alice");
}

TEST_F(GatewayTest, LoginResultsByUserAndPassword) {
    Account longNames;
    longNames.User = "abcdefghijklmn";        // 14 bytes: a login carries the first 12
    longNames.Password = "0123456789abcdef";  // likewise
    longNames.EnterpriseId = 99;
    gateway->AddAccount(longNames);
    const std::string noSuchUser = "\xCE\xDE\xB4\xCB\xD3\xC3\xBB\xA7";     // 无此用户
    const std::string wrongPassword = "\xC3\xDC\xC2\xEB\xB4\xED\xCE\xF3";  // 密码错误
    struct Case {
        std::string User;
        std::string Password;
        char Result;
        std::int32_t EnterpriseId;
        std::string Remark;  // for refusals; starts at offset 5
    };
    const Case cases[] = {
        {"nobody", "secret", 0, 0, noSuchUser},
        {"alice", "wrong", 2, 4711, wrongPassword},
        {"alice", "secret", 1, 4711, ""},
        {"abcdefghijklmn", "0123456789abcdef", 1, 99, ""},
        {"abcdefghijkl", "0123456789ab", 1, 99, ""},
        {"abcdefghijkl", "0123456789", 2, 99, wrongPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.User + "/" + c.Password);
        auto client = Connect();
        const std::string body = client->Login(c.User, c.Password);
        ASSERT_GE(body.size(), 5u);
        EXPECT_EQ(body[0], c.Result);
        EXPECT_EQ(GetInt32(body, 1), c.EnterpriseId);
        if (c.Result != 1) {
            EXPECT_EQ(body.substr(5), c.Remark);
        }
    }
}

TEST_F(GatewayTest, CommandsBeforeLoginAreRefusedReadably) {
    auto client = Connect();
    const Packet profile =
        client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"));
    EXPECT_EQ(profile.Body, "-ERR\r\n\r\n\r\n" + kGbkNotLoggedIn);
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "\xFF");
    EXPECT_EQ(client->Exchange(command::kQueryAccu, Int32(4711) + "C").Body, "\xFF");
    EXPECT_EQ(client->Exchange(command::kLogout).Body, "");

    // A refused login leaves the session logged out as well.
    EXPECT_EQ(client->Login("alice", "wrong")[0], 2);
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "\xFF");

    ASSERT_TRUE(gateway->WaitForRequests(6, kWait));
    for (const RecordedRequest& record : gateway->Requests()) EXPECT_FALSE(record.LoggedIn);
    EXPECT_EQ(gateway->Requests()[0].Outcome, "not logged in");
}

TEST_F(GatewayTest, KeepAliveAndLogoutAfterLogin) {
    auto client = LoggedIn();
    const Packet keepAlive = client->Exchange(command::kKeepAlive);
    EXPECT_EQ(keepAlive.Code, command::kKeepAlive);
    EXPECT_EQ(keepAlive.Body, "");

    EXPECT_EQ(client->Exchange(command::kLogout).Body, "");
    // The logout ends the login but leaves the connection to the client.
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "\xFF");
    EXPECT_EQ(gateway->Connections().at(0).User, "");
    EXPECT_EQ(gateway->OpenConnectionCount(), 1u);

    const std::vector<RecordedRequest> records = gateway->Requests();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_TRUE(records[1].LoggedIn);
    EXPECT_EQ(records[1].User, "alice");
    EXPECT_FALSE(records[3].LoggedIn);
}

TEST_F(GatewayTest, ProfileServiceAnswersTheAccountsProfile) {
    auto client = LoggedIn();
    const Packet answer =
        client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"));
    EXPECT_EQ(answer.Code, command::kExtendService);
    EXPECT_EQ(answer.Body, "+OK\r\n\r\nA=1\r\nB=");

    const RecordedRequest record = gateway->Requests().back();
    ASSERT_TRUE(record.Service.has_value());
    EXPECT_EQ(record.Service->Name, "SwapUserInfo");
    EXPECT_EQ(record.Service->Args, "");

    // Accounts changed while running are served from the next request on.
    Account changed = Alice();
    changed.ProfileValues = {};
    gateway->AddAccount(changed);
    EXPECT_EQ(client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo")).Body,
              "+OK\r\n\r\n");
}

TEST_F(GatewayTest, DefaultProfileHoldsTheKeysClientsNeed) {
    Account plain;
    plain.User = "plain";
    plain.Password = "pw";
    gateway->AddAccount(plain);
    auto client = Connect();
    ASSERT_EQ(client->Login("plain", "pw")[0], 1);
    const std::string body =
        client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo")).Body;
    ASSERT_EQ(body.substr(0, 7), "+OK\r\n\r\n");
    const std::string payload = "\r\n" + body.substr(7) + "\r\n";
    const std::string lines[] = {
        "\xD2\xC6\xB6\xAF\xB3\xA4\xB6\xC8=70",          // 移动长度=70
        "\xC1\xAA\xCD\xA8\xB3\xA4\xB6\xC8=70",          // 联通长度=70
        "\xD0\xA1\xC1\xE9\xCD\xA8\xB3\xA4\xB6\xC8=45",  // 小灵通长度=45
        "\xB9\xB2\xCF\xED\xBC\xF2\xB3\xC6=\xCA\xC7",    // 共享简称=是
        "\xCA\xB9\xD3\xC3\xBC\xF2\xB3\xC6=\xB7\xF1",    // 使用简称=否
        "\xCA\xA3\xD3\xE0\xB5\xE3\xCA\xFD=10000",       // 剩余点数=10000
    };
    for (const std::string& line : lines) {
        EXPECT_NE(payload.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    }
}

TEST_F(GatewayTest, ServerStateAndUnknownServices) {
    auto client = LoggedIn();
    gateway->SetBusyLevel(3);
    EXPECT_EQ(
        client->Exchange(command::kExtendService, ServiceRequestBody("QueryServerState")).Body,
        "+OK\r\n\r\n" + kGbkBusyLevel + "=3");
    gateway->SetBusyLevel(12);
    EXPECT_EQ(
        client->Exchange(command::kExtendService, ServiceRequestBody("QueryServerState")).Body,
        "+OK\r\n\r\n" + kGbkBusyLevel + "=12");

    const std::string failure =
        client->Exchange(command::kExtendService, ServiceRequestBody("Nope", "a=1\r\nb=2")).Body;
    // 不支持的服务: Nope, from the 11th byte on
    EXPECT_EQ(failure, "-ERR\r\n\r\n\r\n\xB2\xBB\xD6\xA7\xB3\xD6\xB5\xC4\xB7\xFE\xCE\xF1: Nope");
    const RecordedRequest record = gateway->Requests().back();
    EXPECT_EQ(record.Service->Name, "Nope");
    EXPECT_EQ(record.Service->Args, "a=1\r\nb=2");
    EXPECT_EQ(record.Outcome, "unknown service");
}

TEST_F(GatewayTest, UnservedCommandCodesGetOneRefusalByte) {
    auto client = LoggedIn();
    for (const std::uint8_t code : {2, 10, 42, 255}) {
        const Packet answer = client->Exchange(code, "payload");
        EXPECT_EQ(answer.Code, code);
        EXPECT_EQ(answer.Body, "\xFF") << int{code};
        const RecordedRequest record = gateway->Requests().back();
        EXPECT_EQ(record.CommandCode, code);
        EXPECT_EQ(record.Body, "payload");
        EXPECT_EQ(record.Outcome, "unhandled command");
    }
}

TEST_F(GatewayTest, RemovedAccountCanNoLongerLogIn) {
    auto first = LoggedIn();
    gateway->RemoveAccount("alice");
    auto second = Connect();
    EXPECT_EQ(second->Login("alice", "secret")[0], 0);
    // The session that is already in keeps going, but its profile is gone.
    EXPECT_EQ(first->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"))
                  .Body.substr(0, 4),
              "-ERR");
}

}  // namespace
}  // namespace nuvsim::test
