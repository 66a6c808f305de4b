// Sessions through real proxy servers and through the HTTP tunnel, by the exports, to the
// gateway simulator; refusals that real proxies cannot give come from scripted fakes.
#include <algorithm>
#include <set>

#include "ProxyFixture.h"
#include "ScriptedProxy.h"
#include "TestUtil.h"

namespace nuv::test {
namespace {

namespace command = nuvsim::command;

const std::string kHttpOk = Hex(
    "CA B9 D3 C3 48 54 54 50 B4 FA C0 ED C1 AC BD D3 B3 C9 B9 A6 A1 A3");  // 使用HTTP代理连接成功。
const std::string kSocks5Ok = Hex("73 6F 63 6B 73 35 C1 AC BD D3 B3 C9 B9 A6");  // socks5连接成功
const std::string kMassSendOk = Hex("C8 BA B7 A2 B6 CC D0 C5 B3 C9 B9 A6");  // 群发短信成功

class ProxyRouteTest : public RealProxyTest {
  protected:
    // Login (with the profile read), a mass send to two numbers and logout, and what the gateway
    // saw.
    void LoginSendLogout(int32_t h) {
        ASSERT_EQ(ZpLogin(h, "alice", "secret"), 0) << ToHex(LastText(h));
        std::string success(256, '\0'), fail(256, '\0');
        int32_t successLength = -1, failLength = -1;
        EXPECT_EQ(ZpMassSend(h, "13812345678\r\n13912345678", "hello", success.data(), fail.data(),
                             &successLength, &failLength),
                  0);
        EXPECT_EQ(LastText(h), kMassSendOk);
        ASSERT_GE(successLength, 0);
        success.resize(static_cast<size_t>(successLength));
        EXPECT_NE(success.find("13812345678\r\n"), std::string::npos) << success;
        EXPECT_NE(success.find("13912345678\r\n"), std::string::npos) << success;
        EXPECT_EQ(failLength, -1);  // nothing refused: left untouched
        EXPECT_EQ(ZpLogout(h), 0);

        std::vector<uint8_t> codes;
        for (const auto& request : gateway.Requests()) codes.push_back(request.CommandCode);
        EXPECT_EQ(codes, (std::vector<uint8_t>{command::kLogin, command::kExtendService,
                                               command::kMassSend, command::kLogout}));
    }
};

enum class Server { Tinyproxy, TinyproxyWithAuth, Dante, Microsocks, Squid };

struct Route {
    const char* Name;
    Server Proxy;
    int32_t Type;
    const char* Program;
    const char* Package;
    const char* User;
    const char* Password;
    std::string ConnectedLog;  // the log line of a successful handshake
};

void PrintTo(const Route& route, std::ostream* os) {
    *os << route.Name;
}

class ThroughRealProxy : public ProxyRouteTest, public ::testing::WithParamInterface<Route> {
  protected:
    uint16_t Start(Server server) {
        switch (server) {
            case Server::Tinyproxy:
                return StartTinyproxy();
            case Server::TinyproxyWithAuth:
                return StartTinyproxy("nuvuser", "nuvsecret");
            case Server::Dante:
                return StartDante();
            case Server::Microsocks:
                return StartMicrosocks("nuvuser", "nuvsecret");
            case Server::Squid:
                return StartSquid();
        }
        return 0;
    }
};

TEST_P(ThroughRealProxy, LoginMassSendAndLogout) {
    const Route& route = GetParam();
    NUV_REQUIRE_PROGRAM(route.Program, route.Package);
    const uint16_t port = Start(route.Proxy);
    ASSERT_NE(port, 0);
    const int32_t h = OpenThrough(route.Type, port, route.User, route.Password);
    LoginSendLogout(h);
    const auto log = LogTexts(h);
    EXPECT_NE(std::find(log.begin(), log.end(), route.ConnectedLog), log.end());
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, ThroughRealProxy,
    ::testing::Values(
        Route{"Tinyproxy", Server::Tinyproxy, NUV_PROXY_HTTP, kTinyproxy, "tinyproxy", "", "",
              kHttpOk},
        Route{"TinyproxyBasicAuthorisation", Server::TinyproxyWithAuth, NUV_PROXY_HTTP, kTinyproxy,
              "tinyproxy", "nuvuser", "nuvsecret", kHttpOk},
        Route{"DanteSocks4", Server::Dante, NUV_PROXY_SOCKS4, kDanted, "dante-server", "", "",
              "ver=0 cd=90"},
        Route{"DanteSocks5", Server::Dante, NUV_PROXY_SOCKS5, kDanted, "dante-server", "", "",
              kSocks5Ok},
        Route{"MicrosocksCredentials", Server::Microsocks, NUV_PROXY_SOCKS5, kMicrosocks,
              "microsocks", "nuvuser", "nuvsecret", kSocks5Ok},
        // squid opens its tunnels with an HTTP/1.1 answer.
        Route{"SquidHttp11", Server::Squid, NUV_PROXY_HTTP, kSquid, "squid", "", "", kHttpOk}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ProxyRouteTest, WrongCredentialsAreRefusedBySocks5) {
    NUV_REQUIRE_PROGRAM(kMicrosocks, "microsocks");
    const uint16_t port = StartMicrosocks("nuvuser", "nuvsecret");
    ASSERT_NE(port, 0);
    const int32_t h = OpenThrough(NUV_PROXY_SOCKS5, port, "nuvuser", "wrong");
    EXPECT_EQ(ZpLogin(h, "alice", "secret"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7103);
    EXPECT_EQ(LastText(h), Hex("73 6F 63 6B 73 35 BC F8 C8 A8 CA A7 B0 DC"));  // socks5鉴权失败
    EXPECT_TRUE(gateway.Requests().empty());
}

TEST_F(ProxyRouteTest, WrongCredentialsAreRefusedByTinyproxy) {
    NUV_REQUIRE_PROGRAM(kTinyproxy, "tinyproxy");
    const uint16_t port = StartTinyproxy("nuvuser", "nuvsecret");
    ASSERT_NE(port, 0);
    const int32_t h = OpenThrough(NUV_PROXY_HTTP, port, "nuvuser", "wrong");
    EXPECT_EQ(ZpLogin(h, "alice", "secret"), 10054);
    EXPECT_EQ(ZpGetLastErrorCode(h), 7100);
    EXPECT_TRUE(gateway.Requests().empty());
}

// Every request a POST on a connection of its own through tinyproxy; the gateway's session
// number travels from each answer to the next request and keeps the login across connections.
TEST_F(ProxyRouteTest, HttpTunnelThroughTinyproxy) {
    NUV_REQUIRE_PROGRAM(kTinyproxy, "tinyproxy");
    const uint16_t port = StartTinyproxy();
    ASSERT_NE(port, 0);
    const int32_t h = OpenThrough(NUV_PROXY_HTTP_TUNNEL, port);
    LoginSendLogout(h);

    const auto requests = gateway.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const uint64_t session = requests[0].TunnelSession;
    EXPECT_NE(session, 0u);
    std::set<uint64_t> connections;
    for (size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(requests[i].TunnelSession, session);
        EXPECT_TRUE(requests[i].LoggedIn || i == 0);  // logged in from the second request on
        const std::string sent = i == 0 ? "" : std::to_string(session);
        EXPECT_NE(requests[i].HttpHead.find("\r\nSessionID:" + sent + "\r\n"), std::string::npos)
            << requests[i].HttpHead;
        connections.insert(requests[i].ConnectionId);
    }
    EXPECT_EQ(connections.size(), requests.size());
    EXPECT_EQ(Port(h).GetClient().SessionId, std::to_string(session));
}

// Answers real proxies do not give, through the exports: the login fails with 10054 and the
// last error names the refusal.
TEST_F(SimulatorTest, ProxyRefusalsReachTheCaller) {
    using P = ScriptedProxy;
    const struct {
        int32_t Type;
        P::Script Script;
        int32_t LastError;
    } cases[] = {
        {NUV_PROXY_SOCKS5, {P::Read(4, {Hex("06 00")})}, 7102},
        {NUV_PROXY_SOCKS5, {P::Read(4, {Hex("05")})}, 7104},
        {NUV_PROXY_SOCKS5, {P::Read(4, {Hex("05 00")}), P::Read(10, {Hex("05 04 00 01")})}, 7104},
        {NUV_PROXY_HTTP, {P::ReadUntil("\r\n\r\n", {"HTTP/1.0 502 Bad Gateway\r\n\r\n"})}, 7100},
    };
    for (const auto& c : cases) {
        ScriptedProxy proxy({c.Script});
        const int32_t h =
            ZpProxyOpen("127.0.0.1", gateway.Port(), c.Type, "127.0.0.1", proxy.Port(), "", "");
        ZpSetTimeout(h, 2000);
        EXPECT_EQ(ZpLogin(h, "alice", "secret"), 10054);
        EXPECT_EQ(ZpGetLastErrorCode(h), c.LastError);
        ZpClose(h);
    }
    EXPECT_TRUE(gateway.Requests().empty());
}

}  // namespace
}  // namespace nuv::test
