// The gateway's shared state: accounts, settings, faults, records and connections, under one lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nuvsim/Gateway.h"

namespace nuvsim {

struct TunnelSession;  // Tunnel.h

// The balance a profile states: its "剩余点数" value as a decimal number, else 0.
std::int32_t ProfileBalance(const Profile& profile);

// The refusal rules tests set for mass sends.
struct SendRules {
    bool RefuseWhole = false;
    std::map<std::string, std::uint8_t> RefusedNumbers;  // number -> per-number result byte
    std::vector<std::string> RefusingNumbers;            // numbers that refuse a whole send
    std::vector<std::string> RejectedContent;            // texts that make a message refused
};

// What the command handlers may ask of the gateway.
class Directory {
  public:
    virtual ~Directory() = default;
    // Finds an account by the user name as a login carries it (at most 12 bytes, trimmed).
    virtual std::optional<Account> FindAccount(std::string_view user) const = 0;
    virtual int BusyLevel() const = 0;

    // Account changes made by the handlers (AccountState.cpp); false for an unknown user.
    virtual bool ChangePassword(std::string_view user, std::string password) = 0;
    // Takes Points off the balance when the balance covers them; otherwise takes nothing and
    // returns false. The mass-send handler charges accepted sends here (numbers x segments).
    virtual bool Charge(std::string_view user, std::int32_t points) = 0;
    // Removes and returns up to Max of the user's queued received messages, oldest first.
    virtual std::vector<std::string> TakeReceived(std::string_view user, std::size_t max) = 0;
    virtual std::vector<std::string> ForbiddenWords() const = 0;

    // Mass sends (MessageState.cpp): the refusal rules in force for the next send (consuming one
    // whole refusal), and the record of a message taken.
    virtual SendRules TakeSendRules() = 0;
    virtual void RecordMessage(RecordedMessage message) = 0;
};

class State : public Directory {
  public:
    std::optional<Account> FindAccount(std::string_view user) const override;
    int BusyLevel() const override;

    void AddAccount(Account account);
    void RemoveAccount(const std::string& user);
    void SetBusyLevel(int level);

    // Per-account state (AccountState.cpp).
    bool ChangePassword(std::string_view user, std::string password) override;
    bool Charge(std::string_view user, std::int32_t points) override;
    std::vector<std::string> TakeReceived(std::string_view user, std::size_t max) override;
    std::vector<std::string> ForbiddenWords() const override;
    bool SetBalance(std::string_view user, std::int32_t balance);
    void QueueReceived(std::string_view user, std::string text);
    std::size_t QueuedReceived(std::string_view user) const;
    void SetForbiddenWords(std::vector<std::string> words);

    // Mass sends (MessageState.cpp).
    SendRules TakeSendRules() override;
    void RecordMessage(RecordedMessage message) override;
    void RefuseSends(int count);
    void RefuseSendsWith(const std::string& number);
    void RefuseNumber(const std::string& number, std::uint8_t result);
    void RejectContent(const std::string& text);
    void ClearSendRules();
    std::vector<RecordedMessage> Messages() const;
    void ClearMessages();
    bool WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const;
    void SetMessageObserver(std::function<void(const RecordedMessage&)> observer);

    // HTTP tunnel sessions by their number (Tunnel.cpp): Find gives null for an unknown number;
    // Add hands out the next number (the oldest sessions are dropped beyond a bound).
    std::shared_ptr<TunnelSession> FindTunnelSession(std::uint64_t number) const;
    std::uint64_t AddTunnelSession(std::shared_ptr<TunnelSession> session);

    void AddFault(Fault fault);
    void ClearFaults();
    // The fault for the next answer to Code, consuming one of its uses.
    Fault TakeFault(std::uint8_t code);

    void Record(RecordedRequest request);
    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
    void SetObserver(std::function<void(const RecordedRequest&)> observer);

    void CountDropped();
    std::size_t DroppedPackets() const;

    std::uint64_t OpenConnection();
    void SetConnectionUser(std::uint64_t id, const std::string& user);
    void CloseConnection(std::uint64_t id, bool byClient);
    std::vector<ConnectionInfo> Connections() const;
    std::size_t OpenConnectionCount() const;
    bool WaitOpenConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const;
    bool WaitClosedByClient(std::uint64_t id, std::chrono::milliseconds timeout) const;

  private:
    std::size_t OpenCountLocked() const;

    mutable std::mutex mutex_;
    std::mutex observerMutex_;  // serialises observer calls, apart from mutex_
    mutable std::condition_variable changed_;
    std::map<std::string, Account> accounts_;  // keyed by the user name as a login carries it
    int busyLevel_ = 0;
    std::map<std::string, std::deque<std::string>> received_;  // keyed like accounts_
    std::vector<std::string> forbiddenWords_;
    int refuseSends_ = 0;  // Fault::kEveryAnswer: every send
    SendRules sendRules_;  // RefuseWhole unused here; refuseSends_ counts
    std::vector<RecordedMessage> messages_;
    std::function<void(const RecordedMessage&)> messageObserver_;
    std::map<std::uint64_t, std::shared_ptr<TunnelSession>> tunnelSessions_;
    std::uint64_t nextTunnelSession_ = 1;
    std::deque<Fault> faults_;
    std::vector<RecordedRequest> requests_;
    std::function<void(const RecordedRequest&)> observer_;
    std::size_t dropped_ = 0;
    std::uint64_t nextConnectionId_ = 1;
    std::map<std::uint64_t, ConnectionInfo> connections_;
};

}  // namespace nuvsim
