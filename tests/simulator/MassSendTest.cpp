// The gateway's mass send: what it checks, what it records and how its rules answer.
#include <string>
#include <vector>

#include "GatewayFixture.h"

namespace nuvsim::test {
namespace {

void PutInt16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

// A request as the protocol lays it out, written independently of the client library.
struct Request {
    std::int32_t Type = 101;
    unsigned Flags = 0;
    std::uint64_t Ticks = 133486382450000000ull;  // 2024-01-02 03:04:05
    std::vector<std::string> Segments{"Hi"};
    std::vector<std::string> Entries;
    std::int32_t Count = -1;  // -1: the number of entries
    std::string Tail;         // appended after everything

    std::string Body() const {
        std::string body;
        PutInt32(body, Type);
        PutInt16(body, Flags | (Segments.size() > 1 ? 2 : 0));
        PutInt16(body, static_cast<unsigned>(Segments.size() - 1));
        for (int i = 0; i < 8; ++i) body += static_cast<char>((Ticks >> (8 * i)) & 0xFF);
        PutInt32(body, 0);
        body += PadText(Segments[0], 140, '\0');
        PutInt32(body, Count >= 0 ? Count : static_cast<std::int32_t>(Entries.size()));
        for (const auto& entry : Entries) body += PadText(entry, 15, '\0');
        for (size_t i = 1; i < Segments.size(); ++i) {
            PutInt32(body, static_cast<std::int32_t>(Segments[i].size()));
            body += Segments[i];
        }
        return body + Tail;
    }
};

class MassSendTest : public GatewayFixture {
  protected:
    void SetUp() override {
        GatewayFixture::SetUp();
        ASSERT_TRUE(gateway->SetBalance("alice", 1000));
    }
    std::string Send(TestClient& client, const Request& request) {
        return client.Exchange(command::kMassSend, request.Body()).Body;
    }
};

TEST_F(MassSendTest, RecordsWellFormedMessages) {
    auto client = LoggedIn();
    Request request;
    request.Type = 808;
    request.Flags = 1 | 4;
    request.Segments = {"part(1)", "second part(2)", "end(3)"};
    request.Entries = {"13812345678", "0 1 2 3 4 5 6 7", "99"};
    EXPECT_EQ(Send(*client, request), std::string(1, '\0'));
    ASSERT_TRUE(gateway->WaitForMessages(1, kWait));
    const RecordedMessage message = gateway->Messages().at(0);
    EXPECT_EQ(message.User, "alice");
    EXPECT_EQ(message.MessageType, 808);
    EXPECT_TRUE(message.Scheduled);
    EXPECT_EQ(message.SendTime, "2024-01-02 03:04:05.000");
    EXPECT_EQ(message.Recipients, (std::vector<std::string>{"13812345678", "0 1 2 3 4 5 6 7"}));
    EXPECT_EQ(message.ExtraNumber, "99");
    EXPECT_EQ(message.Segments, request.Segments);
    EXPECT_EQ(gateway->Balance("alice"), 1000 - 2 * 3);  // recipients x segments
}

TEST_F(MassSendTest, RefusesMalformedRequestsWithoutRecordingThem) {
    auto client = LoggedIn();
    std::vector<std::pair<const char*, std::string>> bodies;
    Request tooMany;
    tooMany.Entries = {"13812345678"};
    tooMany.Count = 2;
    bodies.emplace_back("count beyond the body", tooMany.Body());
    Request trailing;
    trailing.Tail = "x";
    bodies.emplace_back("trailing byte", trailing.Body());
    Request flagWithout;
    flagWithout.Flags = 2;
    bodies.emplace_back("flag 2 without segments", flagWithout.Body());
    Request extraWithout;
    extraWithout.Flags = 4;
    bodies.emplace_back("extra flag without entries", extraWithout.Body());
    Request cutSegment;
    cutSegment.Segments = {"a(1)", "b(2)"};
    std::string cut = cutSegment.Body();
    cut.pop_back();
    bodies.emplace_back("segment cut short", cut);
    bodies.emplace_back("short body", Request().Body().substr(0, 100));
    for (const auto& [name, body] : bodies) {
        EXPECT_EQ(client->Exchange(command::kMassSend, body).Body, std::string(1, '\1')) << name;
    }
    EXPECT_TRUE(gateway->Messages().empty());
    for (const auto& request : gateway->Requests()) {
        if (request.CommandCode != command::kMassSend) continue;
        EXPECT_EQ(request.Outcome.rfind("malformed: ", 0), 0u) << request.Outcome;
    }
}

TEST_F(MassSendTest, RefusalRules) {
    auto client = LoggedIn();
    Request request;
    request.Entries = {"13812345678", "13912345678"};
    const std::string twoEntries = "13812345678" + std::string(4, '\0');

    gateway->RefuseSends(1);
    EXPECT_EQ(Send(*client, request), std::string(1, '\1'));
    EXPECT_EQ(Send(*client, request), std::string(1, '\0'));  // the rule was used up

    gateway->RefuseNumber("13812345678", 11);
    std::string partly = Send(*client, request);
    EXPECT_EQ(partly, std::string("\2\0\0\0\0\1\0\0\0", 9) + twoEntries + "\x0B");

    gateway->ClearSendRules();
    gateway->RejectContent("Hi");
    partly = Send(*client, request);
    ASSERT_EQ(partly.size(), 9u + 2 * 16);
    EXPECT_EQ(partly[9 + 15], '\x0A');
    EXPECT_EQ(partly[9 + 31], '\x0A');

    gateway->ClearSendRules();
    gateway->RefuseSendsWith("13912345678");
    EXPECT_EQ(Send(*client, request), std::string(1, '\1'));

    gateway->ClearSendRules();
    ASSERT_TRUE(gateway->SetBalance("alice", 1));
    partly = Send(*client, request);
    ASSERT_EQ(partly.size(), 9u + 2 * 16);
    EXPECT_EQ(partly[9 + 15], '\x05');
    EXPECT_EQ(gateway->Balance("alice"), 1);

    const auto messages = gateway->Messages();
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0].Result, 1);
    EXPECT_EQ(messages[2].Refused,
              (std::vector<std::pair<std::string, std::uint8_t>>{{"13812345678", 11}}));
}

}  // namespace
}  // namespace nuvsim::test
