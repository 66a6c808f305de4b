// The gateway stand-in: serves accounts on a TCP port, records every request and injects faults.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "nuvsim/Packet.h"

namespace nuvsim {

// Command codes of the gateway protocol (byte 11 of the header).
namespace command {
inline constexpr std::uint8_t kLogin = 0;
inline constexpr std::uint8_t kCalcCharge = 1;
inline constexpr std::uint8_t kKeepAlive = 3;
inline constexpr std::uint8_t kModifyPwd = 4;
inline constexpr std::uint8_t kQueryAccu = 5;
inline constexpr std::uint8_t kMassSend = 6;
inline constexpr std::uint8_t kLogout = 7;
inline constexpr std::uint8_t kCheckContent = 8;
inline constexpr std::uint8_t kExtendService = 9;
}  // namespace command

// Short English name of a command code for logs ("login", "keep-alive", "code 42").
std::string CommandName(std::uint8_t code);

// Ordered Name=Value lines of an account profile, GBK bytes.
using Profile = std::vector<std::pair<std::string, std::string>>;

// A profile holding every key a client reads, with ordinary values (70/70/45 segment lengths).
Profile DefaultProfile();

// One gateway account. All texts are GBK bytes.
struct Account {
    std::string User;
    std::string Password;
    std::int32_t EnterpriseId = 0;
    std::string ShortName;
    std::string AuxServer;  // "host" or "host:port"
    std::string AuxText1;
    std::string AuxText2;
    Profile ProfileValues = DefaultProfile();
    // Points left; unset: the profile's "剩余点数" as a decimal number, 0 without one.
    std::optional<std::int32_t> Balance;
};

// The login request's fields, user and password with their padding trimmed.
struct LoginFields {
    std::string User;
    std::string Password;
    std::uint8_t ClientType = 0;
    std::int32_t ClientCode = 0;
    std::int32_t VersionMajor = 0;
    std::int32_t VersionMinor = 0;
};

// The text service request "Name\r\n\r\nArgs" split into its two parts.
struct ServiceFields {
    std::string Name;
    std::string Args;
};

// What the gateway does with the next answers instead of answering normally.
enum class FaultKind {
    None,              // answered normally (only seen in records)
    NoAnswer,          // send nothing, keep the connection open and go on reading
    CloseAfterHeader,  // send the 12 header bytes, then close
    CloseMidBody,      // send the header and half of the rest, then close
    SplitBytes,        // send the answer one byte per TCP segment (TCP_NODELAY)
    BadChecksum,       // send the answer with its checksum byte plus one
    Delay,             // wait Delay, then answer normally
    RawBytes,          // send Raw instead of the answer packet
};

// A fault rule, built like Fault::Of(FaultKind::BadChecksum).Times(2).OnlyFor(command::kKeepAlive).
struct Fault {
    static constexpr int kEveryAnswer = -1;

    FaultKind Kind = FaultKind::None;
    int Count = 1;                         // answers it applies to; kEveryAnswer for all
    std::optional<std::uint8_t> OnlyCode;  // restrict it to one command code
    std::chrono::milliseconds Delay{0};    // for FaultKind::Delay
    std::string Raw;                       // for FaultKind::RawBytes

    static Fault Of(FaultKind kind) {
        Fault fault;
        fault.Kind = kind;
        return fault;
    }
    static Fault Delayed(std::chrono::milliseconds delay) {
        Fault fault = Of(FaultKind::Delay);
        fault.Delay = delay;
        return fault;
    }
    static Fault RawAnswer(std::string bytes) {
        Fault fault = Of(FaultKind::RawBytes);
        fault.Raw = std::move(bytes);
        return fault;
    }
    Fault& Times(int count) { return Count = count, *this; }
    Fault& Always() { return Times(kEveryAnswer); }
    Fault& OnlyFor(std::uint8_t code) { return OnlyCode = code, *this; }
};

// One request as the gateway received and answered it.
struct RecordedRequest {
    std::uint64_t ConnectionId = 0;
    std::string Raw;  // the packet bytes as received
    std::uint8_t CommandCode = 0;
    std::string Body;       // unscrambled
    PacketTime Time;        // the client's time stamp from the header
    bool LoggedIn = false;  // whether the session was logged in when it arrived
    std::string User;       // the login's user, else the session's user (empty before login)
    std::optional<LoginFields> Login;      // for code 0
    std::optional<ServiceFields> Service;  // for code 9
    std::string AnswerBody;                // the answer body the gateway built (before any fault)
    FaultKind Fault = FaultKind::None;
    std::string Outcome;  // short English verdict for logs ("success", "wrong password", ...)
    // Through the HTTP tunnel: the session number it was served under (0 for a plain
    // connection) and the HTTP request head as received, up to and including its empty line.
    std::uint64_t TunnelSession = 0;
    std::string HttpHead;
};

// One message as the gateway took it from a well-formed mass send (code 6). Texts are GBK bytes.
struct RecordedMessage {
    std::uint64_t ConnectionId = 0;
    std::string User;  // the session's logged-in user
    std::int32_t MessageType = 0;
    bool Scheduled = false;
    std::int64_t SendTimeTicks = 0;  // as sent: 100-ns ticks since 1601-01-01, local calendar
    std::string SendTime;            // the same as "YYYY-MM-DD hh:mm:ss.mmm"
    std::vector<std::string> Recipients;  // the entries without the extra number, padding trimmed
    std::string ExtraNumber;              // empty when the request had none
    std::vector<std::string> Segments;    // the message text in its parts, first one unpadded
    std::uint8_t Result = 0;              // the answer's result byte: 0 all, 1 none, 2 some taken
    // Refused recipients with their per-number result byte (5 balance, 6 invalid, 10 content...).
    std::vector<std::pair<std::string, std::uint8_t>> Refused;
};

struct ConnectionInfo {
    std::uint64_t Id = 0;
    bool Open = true;
    bool ClosedByClient = false;  // the client ended it (not a fault, a bad packet or Stop)
    std::string User;             // logged-in user, empty when not logged in
};

struct GatewayOptions {
    std::string BindAddress = "127.0.0.1";
    std::uint16_t Port = 0;            // 0 picks a free port; read it back with Port()
    std::size_t MaxConnections = 256;  // further connections are closed at once
    // Once the first byte of a packet is in, the rest must come within this time.
    std::chrono::milliseconds PacketTimeout{30000};
    // A connection that sends nothing for this long is closed.
    std::chrono::milliseconds IdleTimeout{600000};
};

class Gateway {
  public:
    explicit Gateway(GatewayOptions options = {});
    ~Gateway();  // stops
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Binds and starts listening; false with LastError() on failure.
    bool Start();
    // Closes every socket and joins every thread; safe to call twice.
    void Stop();
    std::uint16_t Port() const;
    std::string LastError() const;

    // Accounts may change at any time; the same user name replaces the earlier account.
    void AddAccount(Account account);
    void RemoveAccount(const std::string& user);
    void SetBusyLevel(int level);

    // The account as the gateway holds it now: password changes and balance included.
    std::optional<Account> FindAccount(const std::string& user) const;
    // False for an unknown user.
    bool SetBalance(const std::string& user, std::int32_t balance);
    std::optional<std::int32_t> Balance(const std::string& user) const;
    // Takes Points off the balance when it covers them (as an accepted send does); otherwise
    // takes nothing and returns false.
    bool Charge(const std::string& user, std::int32_t points);
    // Queues a received message (GBK text) that "RecvMessageEx" hands to the user's sessions.
    void QueueReceived(const std::string& user, std::string text);
    std::size_t QueuedReceived(const std::string& user) const;
    // Texts (GBK) that make a content check refuse the message.
    void SetForbiddenWords(std::vector<std::string> words);

    // Mass sends (code 6). Rules apply to the sends that arrive after them.
    // The next Count sends (Fault::kEveryAnswer: all) are refused whole (result 1).
    void RefuseSends(int count = 1);
    // Every send that carries Number (padding trimmed) is refused whole.
    void RefuseSendsWith(const std::string& number);
    // Refuses Number (compared with its padding trimmed) in every send, with a per-number result
    // byte (6 invalid number, 11 blacklisted, ...).
    void RefuseNumber(const std::string& number, std::uint8_t result);
    // A message whose segments contain Text (GBK) has every recipient refused with result 10.
    void RejectContent(const std::string& text);
    void ClearSendRules();
    // Every message taken from a well-formed send, in arrival order; malformed sends are refused
    // whole, recorded only as requests (Outcome "malformed: reason").
    std::vector<RecordedMessage> Messages() const;
    void ClearMessages();
    // True once at least Count messages are recorded; false when Timeout passes first.
    bool WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const;
    // Called on a connection's thread for each message (the executable logs here).
    void SetMessageObserver(std::function<void(const RecordedMessage&)> observer);

    void AddFault(Fault fault);
    void ClearFaults();

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();
    // True once at least Count requests are recorded; false when Timeout passes first.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    // Called on a connection's thread after each request is recorded (the executable logs here).
    void SetObserver(std::function<void(const RecordedRequest&)> observer);

    // Packets refused for a length below 13 or a wrong checksum (their connection is closed).
    std::size_t DroppedPackets() const;

    std::vector<ConnectionInfo> Connections() const;
    std::size_t OpenConnectionCount() const;
    bool WaitOpenConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const;
    // True once connection Id has been closed by its client; false on time-out or other closes.
    bool WaitClosedByClient(std::uint64_t id, std::chrono::milliseconds timeout) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace nuvsim
