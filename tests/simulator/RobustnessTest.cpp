// Untrusted input, disconnects, time-outs, many connections, and stopping under load.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <thread>

#include "GatewayFixture.h"

namespace nuvsim::test {
namespace {

using RobustnessTest = GatewayFixture;

// A header announcing Length, with a valid-looking time stamp.
std::string HeaderWithLength(std::uint16_t length) {
    std::string header = BuildPacket(command::kKeepAlive, "").substr(0, kHeaderSize);
    header[2] = static_cast<char>(length & 0xFF);
    header[3] = static_cast<char>(length >> 8);
    return header;
}

TEST_F(RobustnessTest, LengthsBelowThirteenAndBadChecksumsAreDroppedWithTheConnection) {
    std::string badChecksum = BuildPacket(command::kLogin, LoginRequestBody("alice", "secret"));
    badChecksum.back() = static_cast<char>(badChecksum.back() + 1);
    const std::string packets[] = {HeaderWithLength(0), HeaderWithLength(5), HeaderWithLength(12),
                                   badChecksum};
    std::size_t dropped = 0;
    for (const std::string& packet : packets) {
        auto client = Connect();
        ASSERT_TRUE(client->Send(packet));
        EXPECT_TRUE(client->WaitServerClose());
        EXPECT_EQ(gateway->DroppedPackets(), ++dropped);
    }
    EXPECT_TRUE(gateway->Requests().empty());
    EXPECT_EQ(LoggedIn()->Exchange(command::kKeepAlive).Body, "");
}

TEST_F(RobustnessTest, ClientLeavingMidPacketIsClosedByClient) {
    const std::string login = BuildPacket(command::kLogin, LoginRequestBody("alice", "secret"));
    for (const std::size_t cut : {std::size_t{1}, kHeaderSize - 1, kHeaderSize, login.size() - 1}) {
        SCOPED_TRACE(cut);
        auto client = Connect();
        ASSERT_TRUE(client->Send(login.substr(0, cut)));
        ASSERT_TRUE(gateway->WaitOpenConnectionCount(1, kWait));
        const std::uint64_t id = gateway->Connections().back().Id;
        client->Close();
        EXPECT_TRUE(gateway->WaitClosedByClient(id, kWait));
    }
    EXPECT_TRUE(gateway->Requests().empty());
    EXPECT_EQ(gateway->DroppedPackets(), 0u);
}

TEST_F(RobustnessTest, EveryTruncatedLoginBodyIsAnsweredAsALogin) {
    const std::string body = LoginRequestBody("alice", "secret");
    auto client = Connect();
    for (std::size_t size = 0; size <= body.size(); ++size) {
        const std::string answer = client->Exchange(command::kLogin, body.substr(0, size)).Body;
        ASSERT_GE(answer.size(), 5u) << size;
        // Only bodies that hold the whole password field can match it.
        EXPECT_EQ(answer[0], size >= 18 ? 1 : (size >= 5 ? 2 : 0)) << size;
    }
}

TEST_F(RobustnessTest, RandomBytesNeverStopTheGateway) {
    std::mt19937 random(12345);
    const std::string valid = BuildPacket(command::kLogin, LoginRequestBody("alice", "secret"));
    for (int round = 0; round < 200; ++round) {
        std::string bytes = valid;
        if (round % 2 == 0) {
            bytes.resize(random() % 80);
            for (char& c : bytes) c = static_cast<char>(random());
        } else {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        auto client = Connect();
        ASSERT_TRUE(client->Send(bytes));
        client->Close();
    }
    EXPECT_TRUE(gateway->WaitOpenConnectionCount(0, kWait));
    EXPECT_EQ(LoggedIn()->Exchange(command::kKeepAlive).Body, "");
}

TEST_F(RobustnessTest, StalledPacketsAndIdleConnectionsAreClosedByTheGateway) {
    gateway->Stop();
    GatewayOptions options;
    options.PacketTimeout = std::chrono::milliseconds(100);
    options.IdleTimeout = std::chrono::milliseconds(300);
    StartGateway(options);
    auto stalled = Connect();
    ASSERT_TRUE(stalled->Send(HeaderWithLength(40) + "abc"));
    auto idle = Connect();
    EXPECT_TRUE(stalled->WaitServerClose());
    EXPECT_TRUE(idle->WaitServerClose());
    EXPECT_EQ(gateway->OpenConnectionCount(), 0u);
}

TEST_F(RobustnessTest, ManyConcurrentSessions) {
    constexpr std::size_t kClients = 32;
    std::vector<std::unique_ptr<TestClient>> clients;
    for (std::size_t i = 0; i < kClients; ++i) clients.push_back(Connect());
    ASSERT_TRUE(gateway->WaitOpenConnectionCount(kClients, kWait));

    std::vector<std::thread> threads;
    for (auto& client : clients) {
        threads.emplace_back([&client] {
            EXPECT_EQ(client->Login("alice", "secret")[0], 1);
            EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "");
            EXPECT_EQ(client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"))
                          .Body.substr(0, 3),
                      "+OK");
            EXPECT_EQ(client->Exchange(command::kLogout).Body, "");
        });
    }
    for (std::thread& thread : threads) thread.join();
    ASSERT_TRUE(gateway->WaitForRequests(kClients * 4, kWait));

    // Each connection's requests arrive in its own order, under its own id.
    std::map<std::uint64_t, std::vector<std::uint8_t>> codesByConnection;
    for (const RecordedRequest& record : gateway->Requests()) {
        codesByConnection[record.ConnectionId].push_back(record.CommandCode);
    }
    EXPECT_EQ(codesByConnection.size(), kClients);
    const std::vector<std::uint8_t> expected = {command::kLogin, command::kKeepAlive,
                                                command::kExtendService, command::kLogout};
    for (const auto& [id, codes] : codesByConnection) EXPECT_EQ(codes, expected) << id;

    clients.clear();
    EXPECT_TRUE(gateway->WaitOpenConnectionCount(0, kWait));
    for (const ConnectionInfo& info : gateway->Connections()) EXPECT_TRUE(info.ClosedByClient);
}

TEST_F(RobustnessTest, ConnectionsBeyondTheLimitAreClosedAtOnce) {
    gateway->Stop();
    GatewayOptions options;
    options.MaxConnections = 2;
    StartGateway(options);
    auto first = Connect();
    auto second = Connect();
    ASSERT_TRUE(gateway->WaitOpenConnectionCount(2, kWait));
    auto refused = Connect();
    EXPECT_TRUE(refused->WaitServerClose());

    first->Close();
    ASSERT_TRUE(gateway->WaitOpenConnectionCount(1, kWait));
    auto third = Connect();
    EXPECT_EQ(third->Login("alice", "secret")[0], 1);
}

TEST_F(RobustnessTest, StopClosesOpenConnectionsAndTheGatewayStartsAgain) {
    auto busy = LoggedIn();
    gateway->AddFault(Fault::Delayed(std::chrono::hours(1)));
    ASSERT_TRUE(busy->SendPacket(command::kKeepAlive, ""));
    ASSERT_TRUE(gateway->WaitForRequests(2, kWait));
    auto idle = Connect();
    ASSERT_TRUE(gateway->WaitOpenConnectionCount(2, kWait));

    gateway->Stop();  // must not wait out the hour-long delay
    EXPECT_TRUE(busy->WaitServerClose());
    EXPECT_TRUE(idle->WaitServerClose());
    EXPECT_EQ(gateway->OpenConnectionCount(), 0u);
    for (const ConnectionInfo& info : gateway->Connections()) EXPECT_FALSE(info.ClosedByClient);
    gateway->Stop();

    gateway->ClearFaults();
    ASSERT_TRUE(gateway->Start()) << gateway->LastError();
    EXPECT_EQ(LoggedIn()->Exchange(command::kKeepAlive).Body, "");
}

TEST(GatewayStartTest, ReportsBindFailures) {
    Gateway first;
    ASSERT_TRUE(first.Start());
    GatewayOptions taken;
    taken.Port = first.Port();
    Gateway second(taken);
    EXPECT_FALSE(second.Start());
    EXPECT_NE(second.LastError().find("bind"), std::string::npos) << second.LastError();

    GatewayOptions nonsense;
    nonsense.BindAddress = "not-an-address";
    Gateway third(nonsense);
    EXPECT_FALSE(third.Start());
    EXPECT_FALSE(third.LastError().empty());
}

}  // namespace
}  // namespace nuvsim::test
