// The read-answer loop of one connection (plain packets or HTTP tunnel requests) and the fault
// kinds that bend its answers.
#include "Connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "Tunnel.h"
#include "handlers/Handlers.h"

namespace nuvsim {
namespace {

enum class Next { Continue, ClosedByClient, ClosedByServer };

Next AfterIo(IoResult result) {
    return result == IoResult::Closed ? Next::ClosedByClient : Next::ClosedByServer;
}

// Reads one packet; its first byte may take IdleTimeout, the rest must follow in PacketTimeout.
// Raw may already hold its first few bytes. A length below 13 or a bad checksum leaves the
// framing untrustworthy, so the caller closes.
Next ReadPacket(int fd, int stopFd, const GatewayOptions& options, State& state, std::string& raw,
                Packet& packet) {
    IoResult result = IoResult::Ok;
    if (raw.empty()) result = ReadExact(fd, 1, raw, stopFd, Clock::now() + options.IdleTimeout);
    if (result != IoResult::Ok) return AfterIo(result);
    const Clock::time_point deadline = Clock::now() + options.PacketTimeout;
    result = ReadExact(fd, kHeaderSize - raw.size(), raw, stopFd, deadline);
    if (result != IoResult::Ok) return AfterIo(result);
    const std::size_t length = PacketLength(raw);
    if (length < kMinPacketSize) {
        state.CountDropped();
        return Next::ClosedByServer;
    }
    result = ReadExact(fd, length - kHeaderSize, raw, stopFd, deadline);
    if (result != IoResult::Ok) return AfterIo(result);
    ParseResult parsed = ParsePacket(raw);
    if (parsed.Status != ParseStatus::Ok) {
        state.CountDropped();
        return Next::ClosedByServer;
    }
    packet = std::move(parsed.Decoded);
    return Next::Continue;
}

Next Send(int fd, std::string_view bytes, int stopFd, const GatewayOptions& options) {
    const IoResult result = SendAll(fd, bytes, stopFd, Clock::now() + options.PacketTimeout);
    return result == IoResult::Ok ? Next::Continue : AfterIo(result);
}

Next SendByteByByte(int fd, std::string_view bytes, int stopFd, const GatewayOptions& options) {
    // Without Nagle's delay every one-byte send leaves as a segment of its own.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const Next next = Send(fd, bytes.substr(i, 1), stopFd, options);
        if (next != Next::Continue) return next;
    }
    return Next::Continue;
}

// Sends Prefix of the answer, then tells the caller to close.
Next SendAndClose(int fd, std::string_view prefix, int stopFd, const GatewayOptions& options) {
    const Next next = Send(fd, prefix, stopFd, options);
    return next == Next::Continue ? Next::ClosedByServer : next;
}

Next Answer(int fd, std::string packet, const Fault& fault, int stopFd,
            const GatewayOptions& options) {
    switch (fault.Kind) {
        case FaultKind::None:
            return Send(fd, packet, stopFd, options);
        case FaultKind::NoAnswer:
            return Next::Continue;
        case FaultKind::CloseAfterHeader:
            return SendAndClose(fd, std::string_view(packet).substr(0, kHeaderSize), stopFd,
                                options);
        case FaultKind::CloseMidBody: {
            const std::size_t half = kHeaderSize + (packet.size() - kHeaderSize) / 2;
            return SendAndClose(fd, std::string_view(packet).substr(0, half), stopFd, options);
        }
        case FaultKind::SplitBytes:
            return SendByteByByte(fd, packet, stopFd, options);
        case FaultKind::BadChecksum:
            packet.back() = static_cast<char>(packet.back() + 1);
            return Send(fd, packet, stopFd, options);
        case FaultKind::Delay:
            if (WaitUntil(stopFd, Clock::now() + fault.Delay) == IoResult::Stopped) {
                return Next::ClosedByServer;
            }
            return Send(fd, packet, stopFd, options);
        case FaultKind::RawBytes:
            return Send(fd, fault.Raw, stopFd, options);
    }
    return Next::ClosedByServer;
}

// How a request reached the gateway, for its record.
struct Carrier {
    std::uint64_t TunnelSession = 0;  // 0: a plain connection
    std::string HttpHead;
};

// The answer packet to one request and the fault that bends it.
struct Served {
    std::string Packet;
    Fault Bend;
};

// Serves one decoded request: handler and record; the caller sends the answer.
Served Serve(std::uint64_t id, std::string raw, Packet packet, SessionState& session, State& state,
             Carrier carrier = {}) {
    RecordedRequest record;
    record.ConnectionId = id;
    record.TunnelSession = carrier.TunnelSession;
    record.HttpHead = std::move(carrier.HttpHead);
    record.Raw = std::move(raw);
    record.CommandCode = packet.Code;
    record.Body = std::move(packet.Body);
    record.Time = packet.Time;
    record.LoggedIn = session.LoggedIn;
    record.User = session.User;
    Exchange exchange{record, session, state};
    Reply reply = Dispatch(exchange);
    if (record.Login) record.User = record.Login->User;
    if (session.LoggedIn != record.LoggedIn || record.CommandCode == command::kLogin) {
        state.SetConnectionUser(id, session.LoggedIn ? session.User : std::string());
    }
    record.AnswerBody = reply.Body;
    record.Outcome = std::move(reply.Outcome);
    const Fault fault = state.TakeFault(record.CommandCode);
    record.Fault = fault.Kind;
    const std::uint8_t code = record.CommandCode;
    // Recorded before answering, so a client holding the answer always finds the record.
    state.Record(std::move(record));
    return Served{BuildPacket(code, reply.Body), fault};
}

// The tunnel's answer: the packet as the body of an HTTP response, bent by the fault as a plain
// answer would be; a RawBytes fault replaces the whole response.
Next TunnelAnswer(int fd, std::uint64_t session, Served served, int stopFd,
                  const GatewayOptions& options) {
    std::string& packet = served.Packet;
    const std::string head = TunnelResponseHead(session, packet.size());
    switch (served.Bend.Kind) {
        case FaultKind::NoAnswer:
            // Nothing is sent; the connection is held until the client gives up on it.
            return AfterIo(ReadExact(fd, 1, packet, stopFd, Clock::now() + options.IdleTimeout));
        case FaultKind::CloseAfterHeader:
            return SendAndClose(fd, head + packet.substr(0, kHeaderSize), stopFd, options);
        case FaultKind::CloseMidBody:
            return SendAndClose(
                fd, head + packet.substr(0, kHeaderSize + (packet.size() - kHeaderSize) / 2),
                stopFd, options);
        case FaultKind::SplitBytes:
            return SendByteByByte(fd, head + packet, stopFd, options);
        case FaultKind::RawBytes:
            return SendAndClose(fd, served.Bend.Raw, stopFd, options);
        case FaultKind::BadChecksum:
            packet.back() = static_cast<char>(packet.back() + 1);
            break;
        case FaultKind::Delay:
            if (WaitUntil(stopFd, Clock::now() + served.Bend.Delay) == IoResult::Stopped) {
                return Next::ClosedByServer;
            }
            break;
        case FaultKind::None:
            break;
    }
    return Send(fd, head + packet, stopFd, options);
}

// The session a tunnel request continues: the one of its number while the gateway knows it,
// else a new one under a new number.
std::pair<std::uint64_t, std::shared_ptr<TunnelSession>> ResumeTunnel(
    State& state, std::optional<std::uint64_t> number) {
    if (number) {
        if (std::shared_ptr<TunnelSession> known = state.FindTunnelSession(*number)) {
            return {*number, std::move(known)};
        }
    }
    auto session = std::make_shared<TunnelSession>();
    return {state.AddTunnelSession(session), session};
}

// Serves one HTTP tunnel request whose first bytes ("POST ") are in Head: the rest of the head
// and the packet of its body within PacketTimeout, then one response. HTTP/1.0 carries one
// request per connection, so the connection ends after it.
Next ServeTunnel(int fd, std::uint64_t id, std::string head, State& state, int stopFd,
                 const GatewayOptions& options) {
    const Clock::time_point deadline = Clock::now() + options.PacketTimeout;
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() >= kMaxTunnelHead) {
            return SendAndClose(fd, TunnelRefusal(TunnelVerdict::BadRequest), stopFd, options);
        }
        const IoResult result = ReadExact(fd, 1, head, stopFd, deadline);  // never into the body
        if (result != IoResult::Ok) return AfterIo(result);
    }
    TunnelRequest request;
    const TunnelVerdict verdict = ParseTunnelHead(head, request);
    if (verdict != TunnelVerdict::Ok) {
        return SendAndClose(fd, TunnelRefusal(verdict), stopFd, options);
    }
    std::string raw;
    const IoResult result = ReadExact(fd, request.ContentLength, raw, stopFd, deadline);
    if (result != IoResult::Ok) return AfterIo(result);
    ParseResult parsed = ParsePacket(raw);
    if (parsed.Status != ParseStatus::Ok || PacketLength(raw) != raw.size()) {
        state.CountDropped();
        return SendAndClose(fd, TunnelRefusal(TunnelVerdict::BadRequest), stopFd, options);
    }
    auto [number, tunnel] = ResumeTunnel(state, request.SessionNumber);
    Served served;
    {
        std::lock_guard lock(tunnel->Lock);
        served = Serve(id, std::move(raw), std::move(parsed.Decoded), tunnel->Session, state,
                       Carrier{number, std::move(head)});
    }
    const Next next = TunnelAnswer(fd, number, std::move(served), stopFd, options);
    return next == Next::Continue ? Next::ClosedByServer : next;
}

// Reads the first bytes of a connection: one (waiting up to IdleTimeout), and four more when it
// may be the "POST " of a tunnel request; a packet is longer than that anyway.
Next ReadStart(int fd, int stopFd, const GatewayOptions& options, std::string& raw) {
    IoResult result = ReadExact(fd, 1, raw, stopFd, Clock::now() + options.IdleTimeout);
    if (result == IoResult::Ok && raw[0] == 'P') {
        result = ReadExact(fd, 4, raw, stopFd, Clock::now() + options.PacketTimeout);
    }
    return result == IoResult::Ok ? Next::Continue : AfterIo(result);
}

}  // namespace

void ServeConnection(UniqueFd socket, std::uint64_t id, State& state, int stopFd,
                     const GatewayOptions& options) {
    SessionState session;
    std::string raw;
    Next next = ReadStart(socket.Get(), stopFd, options, raw);
    if (next == Next::Continue && raw == "POST ") {
        next = ServeTunnel(socket.Get(), id, std::move(raw), state, stopFd, options);
    }
    while (next == Next::Continue) {
        Packet packet;
        next = ReadPacket(socket.Get(), stopFd, options, state, raw, packet);
        if (next == Next::Continue) {
            Served served = Serve(id, std::move(raw), std::move(packet), session, state);
            next = Answer(socket.Get(), std::move(served.Packet), served.Bend, stopFd, options);
        }
        raw.clear();
    }
    // The state changes before the socket closes, so a client that sees the close sees it too.
    state.CloseConnection(id, next == Next::ClosedByClient);
    socket.Reset();
}

}  // namespace nuvsim
