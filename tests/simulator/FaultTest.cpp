// Injected faults: each kind bends the next answers as documented, then the gateway recovers.
#include <gtest/gtest.h>

#include "GatewayFixture.h"

namespace nuvsim::test {
namespace {

class FaultTest : public GatewayFixture {
  protected:
    void SetUp() override {
        GatewayFixture::SetUp();
        client = LoggedIn();
        ASSERT_TRUE(gateway->WaitForRequests(1, kWait));
        connectionId = gateway->Requests()[0].ConnectionId;
    }

    // The profile answer is long enough (21 bytes of body) to be cut in the middle.
    std::string ProfileRequest() const {
        return BuildPacket(command::kExtendService, ServiceRequestBody("SwapUserInfo"));
    }
    static constexpr std::string_view kProfileBody = "+OK\r\n\r\nA=1\r\nB=";

    std::unique_ptr<TestClient> client;
    std::uint64_t connectionId = 0;
};

TEST_F(FaultTest, NoAnswerSkipsOneAnswerAndKeepsReading) {
    gateway->AddFault(Fault::Of(FaultKind::NoAnswer).OnlyFor(command::kKeepAlive));
    ASSERT_TRUE(client->SendPacket(command::kKeepAlive, ""));
    // The first answer to arrive belongs to the request after the unanswered one.
    const Packet next =
        client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"));
    EXPECT_EQ(next.Code, command::kExtendService);
    EXPECT_EQ(next.Body, kProfileBody);
    const std::vector<RecordedRequest> records = gateway->Requests();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].Fault, FaultKind::NoAnswer);
    EXPECT_EQ(records[2].Fault, FaultKind::None);
}

TEST_F(FaultTest, ClosingFaultsCutTheAnswerAndCloseTheConnection) {
    const std::size_t fullSize = kMinPacketSize + kProfileBody.size();
    struct Case {
        FaultKind Kind;
        std::size_t Expected;
    };
    for (const Case& c :
         {Case{FaultKind::CloseAfterHeader, kHeaderSize},
          Case{FaultKind::CloseMidBody, kHeaderSize + (fullSize - kHeaderSize) / 2}}) {
        SCOPED_TRACE(static_cast<int>(c.Kind));
        auto session = LoggedIn();
        gateway->AddFault(Fault::Of(c.Kind));
        ASSERT_TRUE(session->Send(ProfileRequest()));
        std::string received;
        EXPECT_EQ(session->Read(fullSize, received), ReadStatus::Closed);
        EXPECT_EQ(received.size(), c.Expected);
        // What did arrive is the true beginning of the answer, announcing its full length.
        EXPECT_EQ(PacketLength(received), fullSize);
        EXPECT_EQ(received.substr(0, 2), "MH");
        // The gateway ended the connection, and it says so.
        const std::uint64_t id = gateway->Requests().back().ConnectionId;
        EXPECT_FALSE(InfoOf(id).Open);
        EXPECT_FALSE(InfoOf(id).ClosedByClient);
    }
    EXPECT_EQ(gateway->OpenConnectionCount(), 1u);  // the fixture's own client
}

TEST_F(FaultTest, SplitBytesAnswerReassemblesToTheNormalAnswer) {
    gateway->AddFault(Fault::Of(FaultKind::SplitBytes));
    const Packet answer =
        client->Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo"));
    EXPECT_EQ(answer.Body, kProfileBody);
    EXPECT_EQ(gateway->Requests().back().Fault, FaultKind::SplitBytes);
}

TEST_F(FaultTest, BadChecksumIsOffByOneAndTheConnectionGoesOn) {
    gateway->AddFault(Fault::Of(FaultKind::BadChecksum));
    ASSERT_TRUE(client->Send(ProfileRequest()));
    std::string raw;
    ASSERT_EQ(client->ReadPacket(raw), ReadStatus::Ok);
    EXPECT_EQ(ParsePacket(raw).Status, ParseStatus::BadChecksum);
    raw.back() = static_cast<char>(raw.back() - 1);
    const ParseResult repaired = ParsePacket(raw);
    ASSERT_EQ(repaired.Status, ParseStatus::Ok);
    EXPECT_EQ(repaired.Decoded.Body, kProfileBody);
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "");
}

TEST_F(FaultTest, DelayHoldsTheAnswerBack) {
    gateway->AddFault(Fault::Delayed(std::chrono::milliseconds(200)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Code, command::kKeepAlive);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(FaultTest, RawBytesReplaceTheAnswer) {
    const std::string malformed("MH\x05\x00\x01\x02\x03", 7);
    gateway->AddFault(Fault::RawAnswer(malformed));
    ASSERT_TRUE(client->SendPacket(command::kKeepAlive, ""));
    std::string received;
    EXPECT_EQ(client->Read(malformed.size(), received), ReadStatus::Ok);
    EXPECT_EQ(received, malformed);
    EXPECT_EQ(client->Exchange(command::kKeepAlive).Body, "");
}

TEST_F(FaultTest, CountsCodesAndOrderDecideWhichAnswersAreHit) {
    gateway->AddFault(Fault::Of(FaultKind::BadChecksum).Times(2).OnlyFor(command::kKeepAlive));
    gateway->AddFault(Fault::RawAnswer("x"));
    auto checksumOf = [&](std::uint8_t code) {
        std::string raw;
        EXPECT_TRUE(client->SendPacket(code, code == command::kExtendService
                                                 ? ServiceRequestBody("SwapUserInfo")
                                                 : std::string()));
        EXPECT_EQ(client->ReadPacket(raw), ReadStatus::Ok);
        return ParsePacket(raw).Status;
    };
    // The profile answer skips the keep-alive rule and takes the raw one.
    ASSERT_TRUE(client->Send(ProfileRequest()));
    std::string raw;
    ASSERT_EQ(client->Read(1, raw), ReadStatus::Ok);
    EXPECT_EQ(raw, "x");
    EXPECT_EQ(checksumOf(command::kKeepAlive), ParseStatus::BadChecksum);
    EXPECT_EQ(checksumOf(command::kKeepAlive), ParseStatus::BadChecksum);
    EXPECT_EQ(checksumOf(command::kKeepAlive), ParseStatus::Ok);

    gateway->AddFault(Fault::Of(FaultKind::BadChecksum).Always());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(checksumOf(command::kExtendService), ParseStatus::BadChecksum);
    gateway->ClearFaults();
    EXPECT_EQ(checksumOf(command::kExtendService), ParseStatus::Ok);
}

}  // namespace
}  // namespace nuvsim::test
