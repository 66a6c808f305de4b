// The gateway's account commands over plain sockets: what it accepts, what it refuses, and the
// state that those requests change.
#include <gtest/gtest.h>

#include "GatewayFixture.h"
#include "nuvsim/Packet.h"

namespace nuvsim::test {
namespace {

std::string Int32(std::int32_t value) {
    std::string bytes;
    PutInt32(bytes, value);
    return bytes;
}

std::string Zeros(std::size_t count) {
    return std::string(count, '\0');
}

std::string PasswordRequest(std::int32_t enterpriseId, std::string_view current,
                            std::string_view next) {
    return Int32(enterpriseId) + PadText("C", 8, '\0') + PadText(current, 12, '\0') +
           PadText(next, 12, '\0');
}

using AccountHandlersTest = GatewayFixture;

TEST_F(AccountHandlersTest, FixedLayoutRequestsAreCheckedBeforeAnswering) {
    struct Case {
        std::uint8_t code;
        std::string body;
        std::string outcome;
    } cases[] = {
        {command::kQueryAccu, Int32(4711), "short request"},
        {command::kQueryAccu, Int32(4712) + "C", "wrong enterprise id"},
        {command::kCalcCharge, Int32(4711) + "\x01", "short request"},
        {command::kCalcCharge, Int32(1) + Int32(5), "wrong enterprise id"},
        {command::kModifyPwd, PasswordRequest(4711, "secret", "new").substr(0, 35),
         "short request"},
        {command::kModifyPwd, PasswordRequest(4711, "wrong", "new"), "wrong current password"},
        {command::kModifyPwd, PasswordRequest(4711, "secret", ""), "empty new password"},
    };
    auto client = LoggedIn();
    for (const auto& c : cases) {
        const Packet answer = client->Exchange(c.code, c.body);
        ASSERT_FALSE(answer.Body.empty());
        EXPECT_EQ(answer.Body[0], 1) << c.outcome;
        EXPECT_EQ(gateway->Requests().back().Outcome, c.outcome);
    }
    EXPECT_EQ(gateway->FindAccount("alice")->Password, "secret");
}

TEST_F(AccountHandlersTest, PasswordBalanceAndCharge) {
    auto client = LoggedIn();
    ASSERT_TRUE(gateway->SetBalance("alice", 30));

    // Other client types get one balance; type C a legacy figure (0) first.
    EXPECT_EQ(client->Exchange(command::kQueryAccu, Int32(4711) + "D").Body,
              Zeros(1) + Int32(4711) + Int32(30));
    EXPECT_EQ(client->Exchange(command::kQueryAccu, Int32(4711) + "C").Body,
              Zeros(1) + Int32(4711) + Int32(0) + Int32(30));
    EXPECT_EQ(client->Exchange(command::kCalcCharge, Int32(4711) + Int32(31)).Body,
              Zeros(1) + Int32(30) + Zeros(1));
    EXPECT_EQ(client->Exchange(command::kCalcCharge, Int32(4711) + Int32(30)).Body,
              Zeros(1) + Int32(30) + "\x01");

    EXPECT_TRUE(gateway->Charge("alice", 30));
    EXPECT_FALSE(gateway->Charge("alice", 1));
    EXPECT_FALSE(gateway->Charge("alice", -5));
    EXPECT_FALSE(gateway->Charge("nobody", 0));
    EXPECT_EQ(gateway->Balance("alice"), 0);

    const Packet changed =
        client->Exchange(command::kModifyPwd, PasswordRequest(4711, "secret", "abcdefghijkl"));
    EXPECT_EQ(changed.Body.substr(0, 1), Zeros(1));
    EXPECT_EQ(gateway->FindAccount("alice")->Password, "abcdefghijkl");
    auto next = Connect();
    EXPECT_EQ(next->Login("alice", "secret")[0], 2);
    EXPECT_EQ(next->Login("alice", "abcdefghijkl")[0], 1);
}

TEST_F(AccountHandlersTest, BalanceStartsFromTheProfile) {
    Account bob = Alice();
    bob.User = "bob";
    bob.ProfileValues = {{"\xCA\xA3\xD3\xE0\xB5\xE3\xCA\xFD", "250"}};  // 剩余点数
    gateway->AddAccount(bob);
    EXPECT_EQ(gateway->Balance("bob"), 250);
    bob.User = "carol";
    bob.ProfileValues = {{"\xCA\xA3\xD3\xE0\xB5\xE3\xCA\xFD", " 250"}};  // not a plain number
    gateway->AddAccount(bob);
    EXPECT_EQ(gateway->Balance("carol"), 0);
    bob.User = "dave";
    bob.Balance = 9;
    gateway->AddAccount(bob);
    EXPECT_EQ(gateway->Balance("dave"), 9);
    EXPECT_EQ(gateway->Balance("nobody"), std::nullopt);
}

TEST_F(AccountHandlersTest, ContentRules) {
    const std::string word = "\xCE\xA5\xBD\xFB";  // 违禁
    gateway->SetForbiddenWords({word, ""});
    struct Case {
        std::string body;
        char result;
    } cases[] = {
        {Int32(8) + "ab" + word + "cd", 1},
        {Int32(4) + word, 1},
        {Int32(5) + "hello", 0},
        {Int32(0), 0},  // the empty word given above matches nothing
        // The word's bytes across two characters do not count: A1 CE | A5 BD | FB A1.
        {Int32(6) + "\xA1\xCE\xA5\xBD\xFB\xA1", 0},
        {Int32(6) + "hello", 2},  // length and text disagree
        {Int32(-1), 2},
        {std::string("\x01\x00", 2), 2},
    };
    auto client = LoggedIn();
    for (const auto& c : cases) {
        const std::string body = client->Exchange(command::kCheckContent, c.body).Body;
        ASSERT_FALSE(body.empty());
        EXPECT_EQ(body[0], c.result) << gateway->Requests().back().Outcome;
    }
}

TEST_F(AccountHandlersTest, ReceivedMessagesAreHandedOutOnce) {
    gateway->QueueReceived("alice", "one");
    gateway->QueueReceived("alice", "two");
    gateway->QueueReceived("bob", "other");
    auto client = LoggedIn();
    const auto receive = [&](std::string_view args) {
        return client->Exchange(command::kExtendService, ServiceRequestBody("RecvMessageEx", args))
            .Body;
    };
    EXPECT_EQ(receive("1"), "+OK\r\n\r\none\r\n");
    EXPECT_EQ(receive("x=1"), "+OK\r\n\r\ntwo\r\n");  // not a number: everything waiting
    EXPECT_EQ(receive(""), "+OK\r\n\r\n");
    EXPECT_EQ(gateway->QueuedReceived("bob"), 1u);
}

}  // namespace
}  // namespace nuvsim::test
