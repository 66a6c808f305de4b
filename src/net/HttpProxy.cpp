// The HTTP CONNECT handshake.
#include "net/HttpProxy.h"

#include <algorithm>

#include "net/Mime.h"
#include "net/Net.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {
namespace http {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

size_t HeadEnd(std::string_view data) {
    const size_t found = data.find(kHeadEnd);
    return found == std::string_view::npos ? found : found + kHeadEnd.size();
}

std::string_view StatusLine(std::string_view data) {
    const size_t start = data.find_first_not_of("\r\n");
    if (start == std::string_view::npos) return {};
    data.remove_prefix(start);
    return data.substr(0, data.find_first_of("\r\n"));
}

bool IsConnectAccepted(std::string_view statusLine) {
    //   HTTP/1.x SP 200 [SP reason-phrase]
    if (!statusLine.starts_with("HTTP/1.0 200") && !statusLine.starts_with("HTTP/1.1 200"))
        return false;
    return statusLine.size() == 12 || statusLine[12] == ' ';
}

bool FindHeader(std::string_view head, std::string_view name, std::string_view& value) {
    for (size_t start = 0; start < head.size();) {
        size_t end = head.find('\n', start);
        if (end == std::string_view::npos) end = head.size();
        std::string_view line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && SameLetters(line.substr(0, colon), name)) {
            value = TrimBlanks(line.substr(colon + 1));
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace http

namespace {

constexpr std::string_view kAgentWord = "Zephlon";
// Stands in for the credentials in the activity log, which must never carry them.
constexpr std::string_view kMaskedCredentials = "********";

//   CONNECT host:port HTTP/1.0
//   User-Agent: Zephlon/1.0
//   Proxy-Connection: Keep-Alive
//   Proxy-authorization:basic base64(user ":" password)     only with a proxy user
//   (empty line)
std::string ConnectRequest(const TZpClient& client, bool forLog) {
    std::string text =
        "CONNECT " + client.ServerHost + ":" + std::to_string(client.ServerPort) + " HTTP/1.0\r\n";
    text += "User-Agent: " + std::string(kAgentWord) + "/1.0\r\n";
    text += "Proxy-Connection: Keep-Alive\r\n";
    if (!client.ProxyUser.empty()) {
        text += "Proxy-authorization:basic ";
        text += forLog ? std::string(kMaskedCredentials)
                       : mime::Base64Encode(client.ProxyUser + ":" + client.ProxyPassword);
        text += "\r\n";
    }
    text += "\r\n";
    return text;
}

}  // namespace

bool TZpNetPort::HttpConnectHandshake() {
    GetLog().Add(NUV_GBK("正在连接HTTP代理服务器..."));
    GetLog().Add(ConnectRequest(GetClient(), true));
    if (!SendText(ConnectRequest(GetClient(), false))) return false;

    // The head is read to its empty line, so no part of it is left to spoil the first packet.
    std::string answer;
    const bool read = ReceiveMessage(answer, [](std::string_view data) -> size_t {
        const bool done =
            http::HeadEnd(data) != std::string_view::npos || data.size() >= http::kMaxHeadSize;
        return done ? 0 : ReceiveBufferSize;
    });
    if (!read) return false;
    GetLog().Add(answer);

    if (http::IsConnectAccepted(http::StatusLine(answer))) {
        GetLog().Add(NUV_GBK("使用HTTP代理连接成功。"));
        return true;
    }
    SetLastErrorCode(kStatusHttpProxy);
    SetLastErrorText(StatusText(kStatusHttpProxy));
    GetLog().Add(NUV_GBK("使用HTTP代理连接失败"));
    return false;
}

}  // namespace nuv
