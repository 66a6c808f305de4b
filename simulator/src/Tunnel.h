// The gateway's HTTP tunnel: one request packet per POST to /HttpProxy, the account session
// carried from one connection to the next by the number of its "SessionID" header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "handlers/Handlers.h"

namespace nuvsim {

// What the gateway knows about one logical tunnel session.
struct TunnelSession {
    std::mutex Lock;  // one request of a session at a time, whatever connections carry them
    SessionState Session;
};

// A request head longer than this without its empty line is refused.
inline constexpr std::size_t kMaxTunnelHead = 16 * 1024;

struct TunnelRequest {
    std::size_t ContentLength = 0;
    std::optional<std::uint64_t> SessionNumber;  // absent, empty or not a number: a new session
};

enum class TunnelVerdict { Ok, NotFound, BadRequest };

// Checks a request head (through its empty line): "POST" to the path /HttpProxy (origin or
// absolute form), HTTP/1.x, a Content-Length that can hold one packet.
TunnelVerdict ParseTunnelHead(std::string_view head, TunnelRequest& request);

// The head of a success response carrying a packet of Length bytes.
std::string TunnelResponseHead(std::uint64_t session, std::size_t length);

// The whole response refusing a request the gateway cannot serve.
std::string TunnelRefusal(TunnelVerdict verdict);

}  // namespace nuvsim
