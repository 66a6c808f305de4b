// The SOCKS4 and SOCKS5 handshakes that ask a proxy to connect to the gateway.
#include <algorithm>
#include <cstring>

#include "net/Net.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {
namespace {

// Stage numbers of the SOCKS5 handshake; the status mapping turns each into 7104.
constexpr int32_t kStageGreeting = 1001;
constexpr int32_t kStageTarget = 1002;  // also a short answer to the credentials
constexpr int32_t kStageConnect = 1003;

constexpr size_t kMaxCredential = 255;  // one length byte each for user name and password

uint8_t At(std::string_view bytes, size_t i) {
    return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0;
}

// The server address as 4 bytes in network order; text that is not an address gives FF FF FF FF,
// as inet_addr's error value would.
std::string AddressBytes(const std::string& host) {
    uint32_t address = 0xFFFFFFFFu;
    platform::ParseIPv4(host, address);
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &address, 4);
    return bytes;
}

// The low 16 bits of the port, big-endian.
std::string PortBytes(int32_t port) {
    return {static_cast<char>((port >> 8) & 0xFF), static_cast<char>(port & 0xFF)};
}

// Reads until Count bytes are in.
TZpNetPort::TWanted Exactly(size_t count) {
    return [count](std::string_view data) { return data.size() < count ? count - data.size() : 0; };
}

// SOCKS5 connect reply:
//   +-----+-----+-----+------+----------+----------+
//   | VER | REP | RSV | ATYP | BND.ADDR | BND.PORT |
//   +-----+-----+-----+------+----------+----------+
//      1     1     1     1    4, 16 or   2
//                             1 + length
// A granted reply is read to its end, so no part of it is taken for the gateway's first answer.
size_t ConnectReplyWanted(std::string_view data) {
    constexpr size_t kFixed = 4, kPort = 2;
    size_t total = kFixed;
    if (data.size() >= kFixed && At(data, 1) == 0) {
        switch (At(data, 3)) {
            case 1:  // IPv4
                total = kFixed + 4 + kPort;
                break;
            case 4:  // IPv6
                total = kFixed + 16 + kPort;
                break;
            case 3:  // a name, after its length byte
                total = data.size() > kFixed ? kFixed + 1 + At(data, 4) + kPort : kFixed + 1;
                break;
            default:  // unknown: what came is all that is looked at
                break;
        }
    }
    return data.size() < total ? total - data.size() : 0;
}

std::string Decimal(uint8_t value) {
    return std::to_string(static_cast<unsigned>(value));
}

bool FailStage(TZpNetPort& port, int32_t stage, const std::string& logLine) {
    int32_t code = 0;
    std::string text = GetStatusInfo(stage, 0, code);
    port.SetLastErrorCode(code);
    port.SetLastErrorText(text);
    port.GetLog().Add(logLine);
    return false;
}

// User name and password (RFC 1929):
//   +-----+------+--------+------+----------+
//   | VER | ULEN | UNAME  | PLEN | PASSWD   |
//   +-----+------+--------+------+----------+
//     01     1    0..255     1     0..255
// reply: | VER 01 | STATUS 00 success |, and nothing more
bool Authenticate(TZpNetPort& port) {
    port.GetLog().Add(NUV_GBK("正在鉴权..."));
    const TZpClient& client = port.GetClient();
    const std::string user = client.ProxyUser.substr(0, kMaxCredential);
    const std::string password = client.ProxyPassword.substr(0, kMaxCredential);
    const std::string request = std::string(1, '\x01') + static_cast<char>(user.size()) + user +
                                static_cast<char>(password.size()) + password;
    std::string answer;
    if (!port.SendText(request) || !port.ReceiveMessage(answer, Exactly(2))) return false;
    if (answer.size() < 2) return FailStage(port, kStageTarget, NUV_GBK("socks5认证失败"));
    // A longer reply is no valid answer either; a byte already waiting behind it shows one.
    char extra = 0;
    const bool longer = platform::WaitReadable(port.Socket, 0) == platform::Readiness::Ready &&
                        platform::ReceiveSome(port.Socket, &extra, 1) > 0;
    if (answer != std::string("\x01\x00", 2) || longer) {
        port.SetLastErrorCode(kStatusSocks5Auth);
        port.SetLastErrorText(StatusText(kStatusSocks5Auth));
        return false;
    }
    return true;
}

}  // namespace

// SOCKS4 request:
//   +----+----+----+----+----+----+----+----+----+
//   | VN | CD | DSTPORT |      DSTIP        | 00 |
//   +----+----+----+----+----+----+----+----+----+
//     04   01      2              4          empty user id
// reply: | VN (0) | CD (90 granted) | DSTPORT (2) | DSTIP (4) |
bool TZpNetPort::Socks4Handshake() {
    constexpr size_t kReplySize = 8;
    constexpr uint8_t kGranted = 90;
    const TZpClient& client = GetClient();
    GetLog().Add(NUV_GBK("正在进行socks4连接..."));
    const std::string request = std::string("\x04\x01", 2) + PortBytes(client.ServerPort) +
                                AddressBytes(client.ServerHost) + std::string(1, '\0');
    if (!SendText(request)) return false;
    std::string answer;
    if (!ReceiveMessage(answer, Exactly(kReplySize)) || answer.empty()) return false;
    GetLog().Add("ver=" + Decimal(At(answer, 0)) + " cd=" + Decimal(At(answer, 1)));
    // A refusal leaves the error pair as it was.
    return At(answer, 0) == 0 && At(answer, 1) == kGranted;
}

bool TZpNetPort::Socks5Handshake() {
    GetLog().Add(NUV_GBK("正在连接socks5代理服务器..."));

    // Greeting: | VER 05 | NMETHODS 02 | 00 no authentication | 02 user name and password |
    // reply:    | VER 05 | METHOD |
    GetLog().Add(NUV_GBK("正在发送请求..."));
    if (!SendText(std::string("\x05\x02\x00\x02", 4))) return false;
    GetLog().Add(NUV_GBK("正在接收回应..."));
    std::string answer;
    if (!ReceiveMessage(answer, Exactly(2))) return false;
    if (answer.size() < 2) return FailStage(*this, kStageGreeting, NUV_GBK("无效的应答"));
    const uint8_t version = At(answer, 0), method = At(answer, 1);
    GetLog().Add("ver=" + Decimal(version) + " method=" + Decimal(method));
    if (version != 5 || (method != 0 && method != 2)) {
        SetLastErrorCode(kStatusSocks5Proxy);
        SetLastErrorText(StatusText(kStatusSocks5Proxy));
        GetLog().Add(NUV_GBK("版本错误") + Decimal(version));
        return false;
    }
    if (method == 2 && !Authenticate(*this)) return false;

    // Connect: | VER 05 | CMD 01 connect | RSV 00 | ATYP 01 IPv4 | DST.ADDR (4) | DST.PORT (2) |
    GetLog().Add(NUV_GBK("设置目标地址..."));
    const TZpClient& client = GetClient();
    const std::string request = std::string("\x05\x01\x00\x01", 4) +
                                AddressBytes(client.ServerHost) + PortBytes(client.ServerPort);
    if (!SendText(request) || !ReceiveMessage(answer, ConnectReplyWanted)) return false;
    if (answer.size() < 4) return FailStage(*this, kStageTarget, NUV_GBK("设置socks5目标主机失败"));
    const uint8_t reply = At(answer, 1);
    if (reply != 0) {
        return FailStage(*this, kStageConnect, NUV_GBK("Socks5连接失败: ") + Decimal(reply));
    }
    GetLog().Add(NUV_GBK("socks5连接成功"));
    return true;
}

}  // namespace nuv
