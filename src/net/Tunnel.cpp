// The HTTP tunnel: every request a POST to /HttpProxy on a fresh proxy connection, every answer
// the body of the HTTP response.
#include <algorithm>

#include "net/HttpProxy.h"
#include "net/Net.h"
#include "net/Packet.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {
namespace {

constexpr std::string_view kSessionHeader = "SessionID";

void SetStatus(TZpAction& action, int32_t code, const std::string& text) {
    action.StatusCode = code;
    action.StatusText = text;
}

void RefuseAnswer(TZpAction& action) {
    SetStatus(action, kStatusHttpProxy, StatusText(kStatusHttpProxy));
}

// A failed connection step has left its cause in the port's pair; the command reports it.
void TakePortFailure(TZpNetPort& port, TZpAction& action) {
    if (port.GetLastErrorCode() != 0) {
        SetStatus(action, port.GetLastErrorCode(), port.GetLastErrorText());
    } else {
        SetStatus(action, kStatusNotConnected, StatusMessage(kStatusNotConnected));
    }
}

std::string RequestHead(const TZpClient& client, size_t packetSize) {
    const std::string server = client.ServerHost + ":" + std::to_string(client.ServerPort);
    return "POST http://" + server + "/HttpProxy HTTP/1.0\r\n" +  //
           "User-Agent: ZephlonClient\r\n" +                      //
           "Accept: *.*\r\n" +                                    //
           "Host: " + server + "\r\n" +                           //
           "Pragma: no-cache\r\n" +                               //
           "Accept: */*\r\n" +                                    //
           "SessionID:" + client.SessionId + "\r\n" +             //
           "Content-Type: application/octet-stream\r\n" +         //
           "Content-Length: " + std::to_string(packetSize) + "\r\n" + "\r\n";
}

// The test is made on the first line as it came, even an empty one.
bool IsTunnelAnswerOk(std::string_view response) {
    const std::string_view firstLine = response.substr(0, response.find_first_of("\r\n"));
    return firstLine.find(" 200 OK") != std::string_view::npos;
}

// Bytes of a Content-Length value, when it is plain decimal digits.
bool ContentLength(std::string_view head, size_t& length) {
    std::string_view value;
    if (!http::FindHeader(head, "Content-Length", value) || value.empty() || value.size() > 9 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    length = std::stoul(std::string(value));
    return true;
}

// How much more of a tunnel response to read: the head to its empty line, then (for a success)
// the body to its Content-Length, else to the length its packet header announces, else to the
// end of the connection. A refusal is judged on its head alone.
size_t ResponseWanted(std::string_view data) {
    const size_t headEnd = http::HeadEnd(data);
    if (headEnd == std::string_view::npos)
        return data.size() < http::kMaxHeadSize ? TZpNetPort::ReceiveBufferSize : 0;
    if (!IsTunnelAnswerOk(data)) return 0;
    const std::string_view body = data.substr(headEnd);
    size_t total = 0;
    if (ContentLength(data.substr(0, headEnd), total)) {
        total = std::min(total, packet::kMaxSize);  // more than one packet is of no use
    } else if (body.size() < packet::kHeaderSize) {
        total = packet::kHeaderSize;
    } else {
        total = packet::DeclaredLength(body);
    }
    return body.size() < total ? total - body.size() : 0;
}

// The value of the first "SessionID=" line, control bytes around it removed; empty without one.
std::string SessionIdOf(const TZpStrings& lines) {
    for (const std::string& line : lines) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals != kSessionHeader.size()) continue;
        std::string_view name(line.data(), equals);
        if (std::equal(name.begin(), name.end(), kSessionHeader.begin(), [](char a, char b) {
                return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) ==
                       (b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
            }))
            return std::string(TrimControl(std::string_view(line).substr(equals + 1)));
    }
    return {};
}

}  // namespace

bool TZpNetPort::SendTunnelPrelude(TZpAction& action, std::string& packet) {
    // Every request travels on a connection of its own, opened through the CONNECT handshake.
    CloseSocket();
    Connect();
    if (!GetConnected()) {
        TakePortFailure(*this, action);
        return false;
    }
    const std::string head = RequestHead(GetClient(), packet.size());
    GetLog().Add(head);
    // Head and packet leave together: sent apart, the packet would wait for the proxy's delayed
    // acknowledgement of the head.
    packet.insert(0, head);
    return true;
}

bool TZpNetPort::ReceiveTunnelAnswer(TZpAction& action, std::string& body) {
    body.clear();
    std::string response;
    if (!ReceiveMessage(response, ResponseWanted)) {
        SetStatus(action, GetLastErrorCode(), GetLastErrorText());
        return false;
    }
    const size_t headEnd = http::HeadEnd(response);
    if (headEnd == std::string::npos) {
        RefuseAnswer(action);
        return false;
    }

    // The head up to the first CR of its empty line, one log line per header line, each with
    // its first ":" made "=" (the status line as it came), without time stamps.
    TZpStrings lines = SplitLines(std::string_view(response).substr(0, headEnd - 3));
    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t colon = lines[i].find(':');
        if (colon != std::string::npos) lines[i][colon] = '=';
    }
    GetLog().AddStrings(lines);
    GetClient().SessionId = SessionIdOf(lines);
    GetLog().Add(NUV_GBK("会话号: ") + GetClient().SessionId);

    if (!IsTunnelAnswerOk(response)) {
        RefuseAnswer(action);
        return false;
    }
    // A success without a whole packet in its body has no answer to give.
    if (response.size() - headEnd < packet::kMinSize) {
        RefuseAnswer(action);
        return false;
    }
    body = response.substr(headEnd);
    return true;
}

}  // namespace nuv
