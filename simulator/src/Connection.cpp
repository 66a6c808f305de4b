// The read-answer loop of one connection and the fault kinds that bend its answers.
#include "Connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "handlers/Handlers.h"

namespace nuvsim {
namespace {

enum class Next { Continue, ClosedByClient, ClosedByServer };

Next AfterIo(IoResult result) {
    return result == IoResult::Closed ? Next::ClosedByClient : Next::ClosedByServer;
}

// Reads one packet; its first byte may take IdleTimeout, the rest must follow in PacketTimeout.
// A length below 13 or a bad checksum leaves the framing untrustworthy, so the caller closes.
Next ReadPacket(int fd, int stopFd, const GatewayOptions& options, State& state, std::string& raw,
                Packet& packet) {
    IoResult result = ReadExact(fd, 1, raw, stopFd, Clock::now() + options.IdleTimeout);
    if (result != IoResult::Ok) return AfterIo(result);
    const Clock::time_point deadline = Clock::now() + options.PacketTimeout;
    result = ReadExact(fd, kHeaderSize - 1, raw, stopFd, deadline);
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

// Serves one decoded request: handler, record, then the (possibly faulty) answer.
Next Serve(int fd, std::uint64_t id, std::string raw, Packet packet, SessionState& session,
           State& state, int stopFd, const GatewayOptions& options) {
    RecordedRequest record;
    record.ConnectionId = id;
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
    return Answer(fd, BuildPacket(code, reply.Body), fault, stopFd, options);
}

}  // namespace

void ServeConnection(UniqueFd socket, std::uint64_t id, State& state, int stopFd,
                     const GatewayOptions& options) {
    SessionState session;
    Next next = Next::Continue;
    while (next == Next::Continue) {
        std::string raw;
        Packet packet;
        next = ReadPacket(socket.Get(), stopFd, options, state, raw, packet);
        if (next == Next::Continue) {
            next = Serve(socket.Get(), id, std::move(raw), std::move(packet), session, state,
                         stopFd, options);
        }
    }
    // The state changes before the socket closes, so a client that sees the close sees it too.
    state.CloseConnection(id, next == Next::ClosedByClient);
    socket.Reset();
}

}  // namespace nuvsim
