// The gateway's shared state: accounts, settings, faults, records and connections, under one lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nuvsim/Gateway.h"

namespace nuvsim {

// What the command handlers may ask of the gateway.
class Directory {
  public:
    virtual ~Directory() = default;
    // Finds an account by the user name as a login carries it (at most 12 bytes, trimmed).
    virtual std::optional<Account> FindAccount(std::string_view user) const = 0;
    virtual int BusyLevel() const = 0;
};

class State : public Directory {
  public:
    std::optional<Account> FindAccount(std::string_view user) const override;
    int BusyLevel() const override;

    void AddAccount(Account account);
    void RemoveAccount(const std::string& user);
    void SetBusyLevel(int level);

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
    std::deque<Fault> faults_;
    std::vector<RecordedRequest> requests_;
    std::function<void(const RecordedRequest&)> observer_;
    std::size_t dropped_ = 0;
    std::uint64_t nextConnectionId_ = 1;
    std::map<std::uint64_t, ConnectionInfo> connections_;
};

}  // namespace nuvsim
