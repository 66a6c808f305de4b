// A gateway on an ephemeral loopback port with two accounts, shared by the gateway tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "TestClient.h"
#include "nuvsim/Gateway.h"

namespace nuvsim::test {

// GBK texts the tests compare against, written out as bytes.
inline const std::string kGbkShortName = "\xB2\xE2\xCA\xD4\xC6\xF3\xD2\xB5";  // 测试企业
inline const std::string kGbkNotLoggedIn = "\xCE\xB4\xB5\xC7\xC2\xBC";        // 未登录
inline const std::string kGbkBusyLevel = "\xB7\xB1\xC3\xA6\xB5\xC8\xBC\xB6";  // 繁忙等级

inline Account Alice() {
    Account account;
    account.User = "alice";
    account.Password = "secret";
    account.EnterpriseId = 4711;
    account.ShortName = kGbkShortName;
    account.AuxServer = "aux.example:2121";
    account.AuxText1 = "one";
    account.AuxText2 = "two";
    account.ProfileValues = {{"A", "1"}, {"B", ""}};
    return account;
}

class GatewayFixture : public ::testing::Test {
  protected:
    void SetUp() override { StartGateway({}); }

    void StartGateway(GatewayOptions options) {
        gateway = std::make_unique<Gateway>(std::move(options));
        gateway->AddAccount(Alice());
        ASSERT_TRUE(gateway->Start()) << gateway->LastError();
        ASSERT_NE(gateway->Port(), 0);
    }

    std::unique_ptr<TestClient> Connect() {
        auto client = std::make_unique<TestClient>(gateway->Port());
        EXPECT_TRUE(client->Connected());
        return client;
    }

    std::unique_ptr<TestClient> LoggedIn() {
        auto client = Connect();
        EXPECT_EQ(client->Login("alice", "secret").substr(0, 1), "\x01");
        return client;
    }

    ConnectionInfo InfoOf(std::uint64_t id) const {
        for (const ConnectionInfo& info : gateway->Connections()) {
            if (info.Id == id) return info;
        }
        ADD_FAILURE() << "no connection " << id;
        return {};
    }

    std::unique_ptr<Gateway> gateway;
};

}  // namespace nuvsim::test
