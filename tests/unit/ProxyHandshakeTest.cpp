// The proxy handshakes and the HTTP tunnel byte for byte, against scripted fake proxies.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "TestUtil.h"
#include "actions/KeepAliveAction.h"
#include "integration/ScriptedProxy.h"
#include "net/Mime.h"
#include "net/Net.h"
#include "net/Packet.h"

namespace nuv::test {
namespace {

using Script = ScriptedProxy::Script;
using Step = ScriptedProxy::Step;

// GBK texts of the log and the status messages, written out as bytes.
const std::string kProxyConnecting =
    Hex("D5 FD D4 DA BD F8 D0 D0 B4 FA C0 ED C1 AC BD D3 2E 2E 2E");
const std::string kHttpConnecting =
    Hex("D5 FD D4 DA C1 AC BD D3 48 54 54 50 B4 FA C0 ED B7 FE CE F1 C6 F7 2E 2E 2E");
const std::string kHttpOk =
    Hex("CA B9 D3 C3 48 54 54 50 B4 FA C0 ED C1 AC BD D3 B3 C9 B9 A6 A1 A3");
const std::string kHttpFailed = Hex("CA B9 D3 C3 48 54 54 50 B4 FA C0 ED C1 AC BD D3 CA A7 B0 DC");
const std::string kInvalidHttpProxy = Hex("CE DE D0 A7 B5 C4 48 54 54 50 B4 FA C0 ED");
const std::string kSocks4Connecting =
    Hex("D5 FD D4 DA BD F8 D0 D0 73 6F 63 6B 73 34 C1 AC BD D3 2E 2E 2E");
const std::string kSocks5Connecting =
    Hex("D5 FD D4 DA C1 AC BD D3 73 6F 63 6B 73 35 B4 FA C0 ED B7 FE CE F1 C6 F7 2E 2E 2E");
const std::string kSending = Hex("D5 FD D4 DA B7 A2 CB CD C7 EB C7 F3 2E 2E 2E");
const std::string kReceiving = Hex("D5 FD D4 DA BD D3 CA D5 BB D8 D3 A6 2E 2E 2E");
const std::string kInvalidAnswer = Hex("CE DE D0 A7 B5 C4 D3 A6 B4 F0");
const std::string kVersionError = Hex("B0 E6 B1 BE B4 ED CE F3");
const std::string kAuthenticating = Hex("D5 FD D4 DA BC F8 C8 A8 2E 2E 2E");
const std::string kAuthFailedLog = Hex("73 6F 63 6B 73 35 C8 CF D6 A4 CA A7 B0 DC");
const std::string kSettingTarget = Hex("C9 E8 D6 C3 C4 BF B1 EA B5 D8 D6 B7 2E 2E 2E");
const std::string kTargetFailed =
    Hex("C9 E8 D6 C3 73 6F 63 6B 73 35 C4 BF B1 EA D6 F7 BB FA CA A7 B0 DC");
const std::string kSocks5Ok = Hex("73 6F 63 6B 73 35 C1 AC BD D3 B3 C9 B9 A6");
const std::string kSocks5FailedPrefix = Hex("53 6F 63 6B 73 35 C1 AC BD D3 CA A7 B0 DC 3A 20");
const std::string kSessionNumber = Hex("BB E1 BB B0 BA C5 3A 20");
const std::string kSocks5AuthRefused = Hex("73 6F 63 6B 73 35 BC F8 C8 A8 CA A7 B0 DC");
const std::string kSocks5ConnectFailed = Hex("73 6F 63 6B 73 35 C1 AC BD D3 CA A7 B0 DC");
const std::string kInvalidSocks5 = Hex("CE DE D0 A7 B5 C4 73 6F 63 6B 73 35 B4 FA C0 ED");
const std::string kBadLength = Hex("CF FB CF A2 B3 A4 B6 C8 CE DE D0 A7");

constexpr const char* kServer = "192.0.2.7";  // C0 00 02 07
constexpr int32_t kServerPort = 9900;         // 26 AC

const std::string kConnectText =
    "CONNECT 192.0.2.7:9900 HTTP/1.0\r\nUser-Agent: Zephlon/1.0\r\n"
    "Proxy-Connection: Keep-Alive\r\n";
const std::string kEstablished = "HTTP/1.0 200 Connection established\r\n\r\n";

// A session set up for one proxy kind towards kServer.
struct Session {
    TZpNetPort Port;
    Session(int32_t type, uint16_t proxyPort, std::string user = {}, std::string password = {},
            int32_t timeoutMs = 2000) {
        TZpClient& c = Port.GetClient();
        c.ServerHost = kServer;
        c.ServerPort = kServerPort;
        c.ProxyType = type;
        c.ProxyHost = "127.0.0.1";
        c.ProxyPort = proxyPort;
        c.ProxyUser = std::move(user);
        c.ProxyPassword = std::move(password);
        Port.Timeout = timeoutMs;
    }
    // The log without the time stamps of the lines that have one.
    std::vector<std::string> Log() const {
        std::vector<std::string> texts;
        for (const std::string& line : const_cast<TZpNetPort&>(Port).GetLog().Lines()) {
            const bool stamped = line.size() >= 22 && line[0] == '[' && line[20] == ']';
            texts.push_back(stamped ? line.substr(22) : line);
        }
        return texts;
    }
};

using Lines = std::vector<std::string>;

// ---- Base64 ----

TEST(MimeTest, EncodesRfc4648Vectors) {
    const struct {
        std::string In, Out;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"},
                 {Hex("FF FE 00 3E 3F"), "//4APj8="},   // the last two digits of the alphabet
                 {Hex("D6 D0 CE C4 3A"), "1tDOxDo="}};  // GBK bytes go as they are
    for (const auto& c : cases) EXPECT_EQ(mime::Base64Encode(c.In), c.Out) << ToHex(c.In);
}

// ---- HTTP CONNECT ----

struct ConnectCase {
    const char* Name;
    std::string User, Password;
    std::string AuthLine;            // expected on the wire, empty for none
    std::vector<std::string> Reply;  // the proxy's answer, in sends of their own
    bool Accepted;
};

void PrintTo(const ConnectCase& c, std::ostream* os) {
    *os << c.Name;
}

class HttpConnectTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(HttpConnectTest, SendsTheExactRequestAndJudgesTheStatusLine) {
    const ConnectCase& c = GetParam();
    ScriptedProxy proxy({{ScriptedProxy::ReadUntil("\r\n\r\n", c.Reply)}});
    Session s(ProxyHttp, proxy.Port(), c.User, c.Password);
    s.Port.LastErrorCode = 55;

    EXPECT_EQ(s.Port.OpenConnection(), c.Accepted);
    const std::string request = kConnectText + c.AuthLine + "\r\n";
    EXPECT_EQ(proxy.Received(), Lines{request});

    // The log shows the request with the credentials masked, then the whole answer.
    std::string shown = kConnectText;
    if (!c.AuthLine.empty()) shown += "Proxy-authorization:basic ********\r\n";
    std::string answer;
    for (const std::string& part : c.Reply) answer += part;
    Lines expected = {kProxyConnecting, kHttpConnecting, shown + "\r\n", answer};
    expected.push_back(c.Accepted ? kHttpOk : kHttpFailed);
    EXPECT_EQ(s.Log(), expected);
    EXPECT_EQ(s.Port.GetLastErrorCode(), c.Accepted ? 55 : 7100);
    if (!c.Accepted) {
        EXPECT_EQ(s.Port.GetLastErrorText(), kInvalidHttpProxy);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, HttpConnectTest,
    ::testing::Values(
        ConnectCase{"NoUserNoAuthLine", "", "pw", "", {kEstablished}, true},
        ConnectCase{"UserAndPassword",
                    "alice",
                    "s3cret",
                    "Proxy-authorization:basic YWxpY2U6czNjcmV0\r\n",
                    {"HTTP/1.0 200 OK\r\nProxy-agent: x\r\n\r\n"},
                    true},
        ConnectCase{"EmptyPasswordEndsInEncodedColon",
                    "u",
                    "",
                    "Proxy-authorization:basic dTo=\r\n",
                    {kEstablished},
                    true},
        // Most proxies in use answer with HTTP/1.1.
        ConnectCase{"Http11", "", "", "", {"HTTP/1.1 200 Connection established\r\n\r\n"}, true},
        ConnectCase{"HeadInPieces",
                    "",
                    "",
                    "",
                    {"HTTP/1.1 200 Conn", "ection established\r\n", "\r\n"},
                    true},
        ConnectCase{"AuthorisationRequired",
                    "",
                    "",
                    "",
                    {"HTTP/1.0 407 Proxy Authentication Required\r\n\r\n"},
                    false},
        ConnectCase{"Http2", "", "", "", {"HTTP/2 200 OK\r\n\r\n"}, false},
        ConnectCase{"LongerCode", "", "", "", {"HTTP/1.0 2000 OK\r\n\r\n"}, false},
        ConnectCase{"SuccessTextOnlyInTheBody",
                    "",
                    "",
                    "",
                    {"HTTP/1.0 403 Forbidden\r\n\r\nHTTP/1.0 200 OK"},
                    false},
        ConnectCase{"ClosedWithoutAnswer", "", "", "", {}, false}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- SOCKS4 ----

TEST(Socks4Test, SendsNineBytesAndAcceptsOnlyGranted) {
    const struct {
        const char* Host;
        std::string Request;
        std::string Reply;
        bool Accepted;
        Lines LogTail;
    } cases[] = {
        {kServer,
         Hex("04 01 26 AC C0 00 02 07 00"),
         Hex("00 5A 00 00 00 00 00 00"),
         true,
         {"ver=0 cd=90"}},
        {kServer,
         Hex("04 01 26 AC C0 00 02 07 00"),
         Hex("00 5B 00 00 00 00 00 00"),
         false,
         {"ver=0 cd=91"}},
        {"gateway.example",
         Hex("04 01 26 AC FF FF FF FF 00"),
         Hex("04 5A"),
         false,
         {"ver=4 cd=90"}},
        {kServer, Hex("04 01 26 AC C0 00 02 07 00"), Hex("00"), false, {"ver=0 cd=0"}},
        {kServer, Hex("04 01 26 AC C0 00 02 07 00"), "", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToHex(c.Reply));
        ScriptedProxy proxy({{ScriptedProxy::Read(9, {c.Reply})}});
        Session s(ProxySocks4, proxy.Port());
        s.Port.GetClient().ServerHost = c.Host;
        s.Port.SetLastErrorCode(55);
        s.Port.SetLastErrorText("before");
        EXPECT_EQ(s.Port.OpenConnection(), c.Accepted);
        EXPECT_EQ(ToHex(proxy.Received().at(0)), ToHex(c.Request));
        Lines expected = {kProxyConnecting, kSocks4Connecting};
        expected.insert(expected.end(), c.LogTail.begin(), c.LogTail.end());
        EXPECT_EQ(s.Log(), expected);
        // A refusal leaves the error pair as it was.
        EXPECT_EQ(s.Port.GetLastErrorCode(), 55);
        EXPECT_EQ(s.Port.GetLastErrorText(), "before");
    }
}

// ---- SOCKS5 ----

const std::string kGreeting = Hex("05 02 00 02");
const std::string kConnectRequest = Hex("05 01 00 01 C0 00 02 07 26 AC");
const std::string kGranted = Hex("05 00 00 01 7F 00 00 01 1F 90");

struct Socks5Case {
    const char* Name;
    std::string User, Password;
    Script Proxy;
    std::string Sent;  // everything the proxy read
    bool Accepted;
    int32_t Code;   // the port's error code afterwards (55: unchanged)
    Lines LogTail;  // after "ver=5 method=M" (or after the receive line when there is none)
};

void PrintTo(const Socks5Case& c, std::ostream* os) {
    *os << c.Name;
}

class Socks5Test : public ::testing::TestWithParam<Socks5Case> {};

TEST_P(Socks5Test, FollowsTheExchangeByteForByte) {
    const Socks5Case& c = GetParam();
    ScriptedProxy proxy({c.Proxy});
    Session s(ProxySocks5, proxy.Port(), c.User, c.Password);
    s.Port.SetLastErrorCode(55);

    EXPECT_EQ(s.Port.OpenConnection(), c.Accepted);
    EXPECT_EQ(ToHex(proxy.Received().at(0)), ToHex(c.Sent));
    EXPECT_EQ(s.Port.GetLastErrorCode(), c.Code);
    if (c.Code == 7102) {
        EXPECT_EQ(s.Port.GetLastErrorText(), kInvalidSocks5);
    }
    if (c.Code == 7103) {
        EXPECT_EQ(s.Port.GetLastErrorText(), kSocks5AuthRefused);
    }
    if (c.Code == 7104) {
        EXPECT_EQ(s.Port.GetLastErrorText(), kSocks5ConnectFailed);
    }
    Lines expected = {kProxyConnecting, kSocks5Connecting, kSending, kReceiving};
    expected.insert(expected.end(), c.LogTail.begin(), c.LogTail.end());
    EXPECT_EQ(s.Log(), expected);
}

std::string Auth(const std::string& user, const std::string& password) {
    return std::string(1, '\x01') + char(user.size()) + user + char(password.size()) + password;
}

const std::string kLongUser(300, 'u');
const std::string kUser255(255, 'u');

INSTANTIATE_TEST_SUITE_P(
    Exchanges, Socks5Test,
    ::testing::Values(
        Socks5Case{"NoAuthenticationGoesStraightToConnect",
                   "user",
                   "pw",
                   {ScriptedProxy::Read(4, {Hex("05 00")}), ScriptedProxy::Read(10, {kGranted})},
                   kGreeting + kConnectRequest,
                   true,
                   55,
                   {"ver=5 method=0", kSettingTarget, kSocks5Ok}},
        Socks5Case{"UserNameCutTo255Bytes",
                   kLongUser,
                   "pw",
                   {ScriptedProxy::Read(4, {Hex("05 02")}),
                    ScriptedProxy::Read(1 + 1 + 255 + 1 + 2, {Hex("01 00")}),
                    ScriptedProxy::Read(10, {kGranted})},
                   kGreeting + Auth(kUser255, "pw") + kConnectRequest,
                   true,
                   55,
                   {"ver=5 method=2", kAuthenticating, kSettingTarget, kSocks5Ok}},
        Socks5Case{"EmptyCredentials",
                   "",
                   "",
                   {ScriptedProxy::Read(4, {Hex("05 02")}), ScriptedProxy::Read(3, {Hex("01 00")}),
                    ScriptedProxy::Read(10, {Hex("05 00 00 01"), Hex("00 00 00 00 00 00")})},
                   kGreeting + Hex("01 00 00") + kConnectRequest,
                   true,
                   55,
                   {"ver=5 method=2", kAuthenticating, kSettingTarget, kSocks5Ok}},
        Socks5Case{"NoAcceptableMethod",
                   "",
                   "",
                   {ScriptedProxy::Read(4, {Hex("05 FF")})},
                   kGreeting,
                   false,
                   7102,
                   {"ver=5 method=255", kVersionError + "5"}},
        Socks5Case{"WrongVersion",
                   "",
                   "",
                   {ScriptedProxy::Read(4, {Hex("04 00")})},
                   kGreeting,
                   false,
                   7102,
                   {"ver=4 method=0", kVersionError + "4"}},
        Socks5Case{"ShortGreetingReply",
                   "",
                   "",
                   {ScriptedProxy::Read(4, {Hex("05")})},
                   kGreeting,
                   false,
                   7104,
                   {kInvalidAnswer}},
        Socks5Case{
            "CredentialsRefused",
            "user",
            "bad",
            {ScriptedProxy::Read(4, {Hex("05 02")}), ScriptedProxy::Read(10, {Hex("01 01")})},
            kGreeting + Auth("user", "bad"),
            false,
            7103,
            {"ver=5 method=2", kAuthenticating}},
        Socks5Case{
            "LongerAuthenticationReply",
            "user",
            "pw",
            {ScriptedProxy::Read(4, {Hex("05 02")}), ScriptedProxy::Read(9, {Hex("01 00 00")})},
            kGreeting + Auth("user", "pw"),
            false,
            7103,
            {"ver=5 method=2", kAuthenticating}},
        Socks5Case{"ShortAuthenticationReply",
                   "user",
                   "pw",
                   {ScriptedProxy::Read(4, {Hex("05 02")}), ScriptedProxy::Read(9, {Hex("01")})},
                   kGreeting + Auth("user", "pw"),
                   false,
                   7104,
                   {"ver=5 method=2", kAuthenticating, kAuthFailedLog}},
        Socks5Case{"ConnectionRefusedByTarget",
                   "",
                   "",
                   {ScriptedProxy::Read(4, {Hex("05 00")}),
                    ScriptedProxy::Read(10, {Hex("05 05 00 01 00 00 00 00 00 00")})},
                   kGreeting + kConnectRequest,
                   false,
                   7104,
                   {"ver=5 method=0", kSettingTarget, kSocks5FailedPrefix + "5"}},
        Socks5Case{
            "ShortConnectReply",
            "",
            "",
            {ScriptedProxy::Read(4, {Hex("05 00")}), ScriptedProxy::Read(10, {Hex("05 00 00")})},
            kGreeting + kConnectRequest,
            false,
            7104,
            {"ver=5 method=0", kSettingTarget, kTargetFailed}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Socks5ReplyTest, TakesTheWholeConnectReplyAndNothingAfterIt) {
    // Bound addresses of each type, each followed by the first bytes of the gateway's stream.
    const std::string replies[] = {
        kGranted,
        Hex("05 00 00 03 09") + "localhost" + Hex("1F 90"),
        Hex("05 00 00 04") + std::string(16, '\0') + Hex("1F 90"),
    };
    for (const std::string& reply : replies) {
        SCOPED_TRACE(ToHex(reply));
        ScriptedProxy proxy(
            {{ScriptedProxy::Read(4, {Hex("05 00")}),
              ScriptedProxy::Read(10, {reply.substr(0, 5), reply.substr(5), "MH"})}});
        Session s(ProxySocks5, proxy.Port());
        ASSERT_TRUE(s.Port.OpenConnection());
        std::string rest;
        ASSERT_TRUE(s.Port.ReceiveMessage(rest, [](std::string_view d) { return 2 - d.size(); }));
        EXPECT_EQ(rest, "MH");
    }
}

// ---- Bounded waits ----

struct SilentCase {
    const char* Name;
    int32_t Type;
    Script Proxy;
};

void PrintTo(const SilentCase& c, std::ostream* os) {
    *os << c.Name;
}

class SilentProxyTest : public ::testing::TestWithParam<SilentCase> {};

// A proxy that takes a message and never answers ends the handshake after the time-out.
TEST_P(SilentProxyTest, EndsAfterTheTimeout) {
    const SilentCase& c = GetParam();
    constexpr int32_t kTimeoutMs = 300;
    ScriptedProxy proxy({c.Proxy});
    Session s(c.Type, proxy.Port(), "user", "pw", kTimeoutMs);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.Port.OpenConnection());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(kTimeoutMs));
    EXPECT_LT(elapsed, std::chrono::milliseconds(kTimeoutMs + 2000));  // not some longer bound
    EXPECT_EQ(s.Port.GetLastErrorCode(), 10060);
    EXPECT_EQ(s.Log().back().rfind("RecvBuf: ", 0), 0u) << s.Log().back();
}

INSTANTIATE_TEST_SUITE_P(
    Handshakes, SilentProxyTest,
    ::testing::Values(
        SilentCase{"HttpConnect", ProxyHttp, {ScriptedProxy::ReadUntilThenHold("\r\n\r\n")}},
        SilentCase{"Socks4", ProxySocks4, {ScriptedProxy::ReadThenHold(9)}},
        SilentCase{"Socks5Greeting", ProxySocks5, {ScriptedProxy::ReadThenHold(4)}},
        SilentCase{"Socks5Authentication",
                   ProxySocks5,
                   {ScriptedProxy::Read(4, {Hex("05 02")}), ScriptedProxy::ReadThenHold(9)}},
        SilentCase{"Socks5Connect",
                   ProxySocks5,
                   {ScriptedProxy::Read(4, {Hex("05 00")}), ScriptedProxy::ReadThenHold(10)}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- HTTP tunnel ----

// The 13-byte answer to a keep-alive.
std::string KeepAliveAnswer(size_t extraBody = 0) {
    std::string packet;
    packet::Pack(std::string(extraBody, 'x'), 3, packet::Stamp{2026, 12, 6, 8, 34, 45}, packet);
    return packet;
}

std::string PostHead(const std::string& sessionId) {
    return "POST http://192.0.2.7:9900/HttpProxy HTTP/1.0\r\n"
           "User-Agent: ZephlonClient\r\n"
           "Accept: *.*\r\n"
           "Host: 192.0.2.7:9900\r\n"
           "Pragma: no-cache\r\n"
           "Accept: */*\r\n"
           "SessionID:" +
           sessionId +
           "\r\n"
           "Content-Type: application/octet-stream\r\n"
           "Content-Length: 13\r\n"
           "\r\n";
}

// One tunnel request: the CONNECT hop, the POST head and the 13-byte keep-alive packet, then
// the response in the given pieces.
Script TunnelHop(std::vector<std::string> response) {
    return {ScriptedProxy::ReadUntil("\r\n\r\n", {kEstablished}),
            ScriptedProxy::ReadUntil("\r\n\r\n"), ScriptedProxy::Read(13, std::move(response))};
}

// Runs one keep-alive through the tunnel; the session counts as connected beforehand, as after
// a login.
ActionPtr<TZpKeepAliveAction> RunKeepAlive(Session& s) {
    auto action = CreateAction<TZpKeepAliveAction>(s.Port.GetClient());
    s.Port.SetConnected(true);
    s.Port.RunAction(*action);
    return action;
}

TEST(TunnelTest, CarriesTheSessionNumberFromOneAnswerToTheNextRequest) {
    const std::string packet = KeepAliveAnswer();
    ScriptedProxy proxy({TunnelHop({"HTTP/1.0 200 OK\r\nsessionid:  77 \r\nContent-Length: 13"
                                    "\r\n\r\n" +
                                    packet}),
                         TunnelHop({"HTTP/1.1 200 OK\r\n\r\n" + packet})});
    Session s(ProxyHttpTunnel, proxy.Port());

    auto first = RunKeepAlive(s);
    EXPECT_EQ(first->StatusCode, 0);
    EXPECT_EQ(s.Port.GetClient().SessionId, "77");
    auto second = RunKeepAlive(s);
    EXPECT_EQ(second->StatusCode, 0);
    EXPECT_EQ(s.Port.GetClient().SessionId, "");  // no SessionID header: cleared

    const Lines received = proxy.Received();
    ASSERT_EQ(received.size(), 2u);  // a connection of its own for every request
    const std::string connect = kConnectText + "\r\n";
    EXPECT_EQ(received[0].substr(0, connect.size() + PostHead("").size()), connect + PostHead(""));
    EXPECT_EQ(received[1].substr(0, connect.size() + PostHead("77").size()),
              connect + PostHead("77"));
    EXPECT_EQ(received[1].size(), connect.size() + PostHead("77").size() + 13);
    EXPECT_EQ(received[1].substr(received[1].size() - 13, 2), "MH");

    // The head's lines are logged without time stamps, each first ":" made "=".
    const Lines log = s.Log();
    const Lines firstAnswer = {"HTTP/1.0 200 OK", "sessionid=  77 ", "Content-Length= 13",
                               kSessionNumber + "77"};
    EXPECT_NE(std::search(log.begin(), log.end(), firstAnswer.begin(), firstAnswer.end()),
              log.end());
    EXPECT_EQ(std::count(log.begin(), log.end(), PostHead("77")), 1);
    EXPECT_EQ(log.back(), kSessionNumber);
}

struct TunnelCase {
    const char* Name;
    std::vector<std::string> Response;
    int32_t Code;
};

void PrintTo(const TunnelCase& c, std::ostream* os) {
    *os << c.Name;
}

class TunnelAnswerTest : public ::testing::TestWithParam<TunnelCase> {};

TEST_P(TunnelAnswerTest, JudgesTheResponse) {
    const TunnelCase& c = GetParam();
    ScriptedProxy proxy({TunnelHop(c.Response)});
    Session s(ProxyHttpTunnel, proxy.Port());
    auto action = RunKeepAlive(s);
    EXPECT_EQ(action->StatusCode, c.Code);
    if (c.Code == 7100) {
        EXPECT_EQ(action->StatusText, kInvalidHttpProxy);
    }
    if (c.Code == 7001) {
        EXPECT_EQ(s.Log().back(), kBadLength);
    }
}

const std::string kPacket = KeepAliveAnswer();
const std::string kLongPacket = KeepAliveAnswer(27);  // 40 bytes

INSTANTIATE_TEST_SUITE_P(
    Responses, TunnelAnswerTest,
    ::testing::Values(
        TunnelCase{"Http11Ok", {"HTTP/1.1 200 OK\r\nContent-Length: 13\r\n\r\n" + kPacket}, 0},
        TunnelCase{"InPieces",
                   {"HTTP/1.0 200 ", "OK\r\nSessionID: 5\r\n", "\r\n", kPacket.substr(0, 5),
                    kPacket.substr(5)},
                   0},
        TunnelCase{"BodyLongerThanThePacket",
                   {"HTTP/1.0 200 OK\r\nContent-Length: 20\r\n\r\n" + kPacket + "1234567"},
                   0},
        TunnelCase{
            "ReasonOtherThanOk", {"HTTP/1.0 200 Connection established\r\n\r\n" + kPacket}, 7100},
        TunnelCase{
            "ErrorStatus", {"HTTP/1.0 502 Bad Gateway\r\nContent-Length: 5\r\n\r\nerror"}, 7100},
        // An OK without an answer packet must not read as success.
        TunnelCase{"EmptyBody", {"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"}, 7100},
        TunnelCase{"BodyTooShortForAPacket", {"HTTP/1.0 200 OK\r\n\r\nMH\x05"}, 7100},
        TunnelCase{"HeadNeverEnds", {"HTTP/1.0 200 OK\r\nContent-Length: 13\r\n"}, 7100},
        TunnelCase{"BodyShorterThanItsPacket",
                   {"HTTP/1.0 200 OK\r\nContent-Length: 40\r\n\r\n" + kLongPacket.substr(0, 20)},
                   7001}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TunnelTest, FailedPreludeIsTheCommandsFailure) {
    {
        ScriptedProxy proxy({{ScriptedProxy::ReadUntil("\r\n\r\n", {"HTTP/1.0 403 No\r\n\r\n"})}});
        Session s(ProxyHttpTunnel, proxy.Port());
        auto action = RunKeepAlive(s);
        EXPECT_EQ(action->StatusCode, 7100);
        EXPECT_EQ(action->StatusText, kInvalidHttpProxy);
        EXPECT_FALSE(s.Port.GetConnected());
    }
    {
        ScriptedProxy proxy({});  // listens, but its script accepts no connection
        Session s(ProxyHttpTunnel, proxy.Port(), "", "", 300);
        auto action = RunKeepAlive(s);
        EXPECT_EQ(action->StatusCode, 10060);  // the CONNECT answer never came
    }
}

TEST(TunnelTest, SilentServerEndsTheCommandAfterTheTimeout) {
    ScriptedProxy proxy({{ScriptedProxy::ReadUntil("\r\n\r\n", {kEstablished}),
                          ScriptedProxy::ReadUntil("\r\n\r\n"), ScriptedProxy::ReadThenHold(13)}});
    Session s(ProxyHttpTunnel, proxy.Port(), "", "", 300);
    const auto start = std::chrono::steady_clock::now();
    auto action = RunKeepAlive(s);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(action->StatusCode, 10060);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2300));
}

}  // namespace
}  // namespace nuv::test
