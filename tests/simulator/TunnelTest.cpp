// The gateway's HTTP tunnel: POSTs to /HttpProxy on connections of their own, one session
// carried across them by its number.
#include "GatewayFixture.h"

namespace nuvsim::test {
namespace {

std::string Post(std::string_view packet, std::string_view sessionHeader,
                 std::string_view target = "http://127.0.0.1:9900/HttpProxy") {
    return "POST " + std::string(target) + " HTTP/1.0\r\nUser-Agent: test\r\n" +
           std::string(sessionHeader) + "Content-Length: " + std::to_string(packet.size()) +
           "\r\n\r\n" + std::string(packet);
}

struct Response {
    std::string Head;
    Packet Answer;
    bool Closed = false;  // the gateway closed the connection after it
};

// Sends one request on a new connection and reads the response to the end of the connection.
Response Exchange(std::uint16_t port, const std::string& request) {
    TestClient client(port);
    EXPECT_TRUE(client.Send(request));
    std::string bytes;
    Response response;
    response.Closed = client.Read(64 * 1024, bytes) == ReadStatus::Closed;
    const std::size_t end = bytes.find("\r\n\r\n");
    if (end == std::string::npos) {
        response.Head = bytes;
        return response;
    }
    response.Head = bytes.substr(0, end + 4);
    ParseResult parsed = ParsePacket(std::string_view(bytes).substr(end + 4));
    if (parsed.Status == ParseStatus::Ok) response.Answer = std::move(parsed.Decoded);
    return response;
}

std::string SessionOf(const std::string& head) {
    const std::string name = "\r\nSessionID: ";
    const std::size_t at = head.find(name);
    if (at == std::string::npos) return {};
    const std::size_t start = at + name.size();
    return head.substr(start, head.find("\r\n", start) - start);
}

class TunnelTest : public GatewayFixture {};

TEST_F(TunnelTest, CarriesTheLoginAcrossConnectionsByItsNumber) {
    const std::uint16_t port = gateway->Port();
    const Response login = Exchange(
        port,
        Post(BuildPacket(command::kLogin, LoginRequestBody("alice", "secret")), "SessionID:\r\n"));
    EXPECT_TRUE(login.Head.starts_with("HTTP/1.0 200 OK\r\n")) << login.Head;
    EXPECT_NE(login.Head.find("\r\nContent-Length: "), std::string::npos);
    EXPECT_TRUE(login.Closed);
    EXPECT_EQ(login.Answer.Body.substr(0, 1), "\x01");
    const std::string number = SessionOf(login.Head);
    ASSERT_FALSE(number.empty());

    // The same number (the header name in any case) continues the session on a new connection.
    const std::string service = BuildPacket(command::kExtendService, ServiceRequestBody("Q"));
    const Response known = Exchange(port, Post(service, "sessionid:  " + number + " \r\n"));
    EXPECT_EQ(SessionOf(known.Head), number);
    // Without a number, or with one the gateway never gave, a new session starts, logged out.
    const Response fresh = Exchange(port, Post(service, ""));
    const Response unknown = Exchange(port, Post(service, "SessionID: 999999\r\n"));
    EXPECT_NE(SessionOf(fresh.Head), number);
    EXPECT_NE(SessionOf(unknown.Head), "999999");

    const auto requests = gateway->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].TunnelSession, std::stoull(number));
    EXPECT_TRUE(requests[0].HttpHead.ends_with("SessionID:\r\nContent-Length: 50\r\n\r\n"));
    EXPECT_TRUE(requests[1].LoggedIn);
    EXPECT_EQ(requests[1].User, "alice");
    EXPECT_FALSE(requests[2].LoggedIn);
    EXPECT_FALSE(requests[3].LoggedIn);
    EXPECT_NE(requests[1].ConnectionId, requests[0].ConnectionId);
}

TEST_F(TunnelTest, RefusesWhatItCannotServe) {
    const std::string packet = BuildPacket(command::kKeepAlive, "");
    std::string badChecksum = packet;
    badChecksum.back() = static_cast<char>(badChecksum.back() + 1);
    const struct {
        std::string Request;
        const char* Status;
    } cases[] = {
        {Post(packet, "", "/Other"), "HTTP/1.0 404 Not Found\r\n"},
        {Post(packet, "", "/HttpProxy"), "HTTP/1.0 200 OK\r\n"},  // the origin form serves too
        {"POST /HttpProxy HTTP/1.0\r\n\r\n", "HTTP/1.0 400 Bad Request\r\n"},
        {"POST /HttpProxy HTTP/1.0\r\nContent-Length: 12\r\n\r\n" + packet.substr(0, 12),
         "HTTP/1.0 400 Bad Request\r\n"},
        {Post(badChecksum, ""), "HTTP/1.0 400 Bad Request\r\n"},
    };
    for (const auto& c : cases) {
        const Response response = Exchange(gateway->Port(), c.Request);
        EXPECT_TRUE(response.Head.starts_with(c.Status)) << c.Request << "\n" << response.Head;
        EXPECT_TRUE(response.Closed);
    }
    EXPECT_EQ(gateway->DroppedPackets(), 1u);
}

TEST_F(TunnelTest, FaultsBendTheResponse) {
    const std::string request = Post(BuildPacket(command::kLogout, ""), "");
    // A raw answer stands for the whole response.
    gateway->AddFault(Fault::RawAnswer("HTTP/1.0 503 Busy\r\n\r\n"));
    EXPECT_EQ(Exchange(gateway->Port(), request).Head, "HTTP/1.0 503 Busy\r\n\r\n");
    // Byte by byte, the response is still whole.
    gateway->AddFault(Fault::Of(FaultKind::SplitBytes));
    const Response split = Exchange(gateway->Port(), request);
    EXPECT_TRUE(split.Head.starts_with("HTTP/1.0 200 OK\r\n"));
    EXPECT_EQ(split.Answer.Code, command::kLogout);
}

}  // namespace
}  // namespace nuvsim::test
