// Request heads, response heads and session numbers of the gateway's HTTP tunnel.
#include "Tunnel.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "State.h"
#include "nuvsim/Packet.h"

namespace nuvsim {
namespace {

// At most this many tunnel sessions are kept; a client that never sends its number back would
// otherwise make the table grow without end.
constexpr std::size_t kMaxTunnelSessions = 4096;

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// Plain decimal digits, at most 18 of them.
std::optional<std::uint64_t> Number(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// "/HttpProxy", alone or after "http://host[:port]".
bool IsTunnelPath(std::string_view target) {
    constexpr std::string_view kScheme = "http://", kPath = "/HttpProxy";
    if (target.size() > kScheme.size() && SameLetters(target.substr(0, kScheme.size()), kScheme)) {
        target.remove_prefix(kScheme.size());
        const std::size_t slash = target.find('/');
        if (slash == std::string_view::npos) return false;
        target.remove_prefix(slash);
    }
    return target == kPath;
}

}  // namespace

TunnelVerdict ParseTunnelHead(std::string_view head, TunnelRequest& request) {
    request = {};
    bool haveLength = false;
    bool first = true;
    for (std::size_t start = 0; start < head.size();) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string_view::npos) end = head.size();
        const std::string_view line = head.substr(start, end - start);
        start = end + 2;
        if (first) {
            //   POST SP target SP HTTP/1.x
            first = false;
            const std::size_t a = line.find(' '), b = line.rfind(' ');
            if (a == std::string_view::npos || a == b || line.substr(0, a) != "POST" ||
                !line.substr(b + 1).starts_with("HTTP/1."))
                return TunnelVerdict::BadRequest;
            if (!IsTunnelPath(line.substr(a + 1, b - a - 1))) return TunnelVerdict::NotFound;
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon), value = Trim(line.substr(colon + 1));
        if (SameLetters(name, "Content-Length")) {
            const std::optional<std::uint64_t> length = Number(value);
            if (!length || *length < kMinPacketSize || *length > kMaxPacketSize)
                return TunnelVerdict::BadRequest;
            request.ContentLength = static_cast<std::size_t>(*length);
            haveLength = true;
        } else if (SameLetters(name, "SessionID") && !request.SessionNumber) {
            request.SessionNumber = Number(value);
        }
    }
    return haveLength ? TunnelVerdict::Ok : TunnelVerdict::BadRequest;
}

std::string TunnelResponseHead(std::uint64_t session, std::size_t length) {
    return "HTTP/1.0 200 OK\r\nSessionID: " + std::to_string(session) +
           "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

std::string TunnelRefusal(TunnelVerdict verdict) {
    const char* status = verdict == TunnelVerdict::NotFound ? "404 Not Found" : "400 Bad Request";
    return std::string("HTTP/1.0 ") + status + "\r\nContent-Length: 0\r\n\r\n";
}

std::shared_ptr<TunnelSession> State::FindTunnelSession(std::uint64_t number) const {
    std::lock_guard lock(mutex_);
    const auto found = tunnelSessions_.find(number);
    return found == tunnelSessions_.end() ? nullptr : found->second;
}

std::uint64_t State::AddTunnelSession(std::shared_ptr<TunnelSession> session) {
    std::lock_guard lock(mutex_);
    const std::uint64_t number = nextTunnelSession_++;
    tunnelSessions_[number] = std::move(session);
    if (tunnelSessions_.size() > kMaxTunnelSessions) tunnelSessions_.erase(tunnelSessions_.begin());
    return number;
}

}  // namespace nuvsim
