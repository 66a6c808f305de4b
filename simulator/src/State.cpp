// Locking and waiting around the gateway's shared state.
#include "State.h"

#include <algorithm>

namespace nuvsim {
namespace {

// A login carries 12 space-padded bytes, so names match on what survives that trip.
std::string LoginKey(std::string_view user) {
    return TrimPadding(PadText(user, 12, ' '));
}

bool Applies(const Fault& fault, std::uint8_t code) {
    return fault.Count != 0 && (!fault.OnlyCode || *fault.OnlyCode == code);
}

}  // namespace

std::optional<Account> State::FindAccount(std::string_view user) const {
    std::lock_guard lock(mutex_);
    const auto found = accounts_.find(LoginKey(user));
    if (found == accounts_.end()) return std::nullopt;
    return found->second;
}

int State::BusyLevel() const {
    std::lock_guard lock(mutex_);
    return busyLevel_;
}

void State::AddAccount(Account account) {
    std::lock_guard lock(mutex_);
    std::string key = LoginKey(account.User);
    if (!account.Balance) account.Balance = ProfileBalance(account.ProfileValues);
    accounts_.insert_or_assign(std::move(key), std::move(account));
}

void State::RemoveAccount(const std::string& user) {
    std::lock_guard lock(mutex_);
    accounts_.erase(LoginKey(user));
}

void State::SetBusyLevel(int level) {
    std::lock_guard lock(mutex_);
    busyLevel_ = level;
}

void State::AddFault(Fault fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(std::move(fault));
}

void State::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

Fault State::TakeFault(std::uint8_t code) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(faults_.begin(), faults_.end(),
                                    [&](const Fault& f) { return Applies(f, code); });
    if (found == faults_.end()) return Fault{};
    Fault taken = *found;
    if (found->Count > 0 && --found->Count == 0) faults_.erase(found);
    return taken;
}

void State::Record(RecordedRequest request) {
    std::function<void(const RecordedRequest&)> observer;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        observer = observer_;
    }
    changed_.notify_all();
    if (observer) {
        // Connections run on their own threads; one observer call at a time keeps logs whole.
        std::lock_guard lock(observerMutex_);
        observer(request);
    }
}

std::vector<RecordedRequest> State::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void State::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool State::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void State::SetObserver(std::function<void(const RecordedRequest&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void State::CountDropped() {
    std::lock_guard lock(mutex_);
    ++dropped_;
}

std::size_t State::DroppedPackets() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

std::uint64_t State::OpenConnection() {
    std::uint64_t id = 0;
    {
        std::lock_guard lock(mutex_);
        id = nextConnectionId_++;
        connections_[id] = ConnectionInfo{id, true, false, {}};
    }
    changed_.notify_all();
    return id;
}

void State::SetConnectionUser(std::uint64_t id, const std::string& user) {
    std::lock_guard lock(mutex_);
    connections_[id].User = user;
}

void State::CloseConnection(std::uint64_t id, bool byClient) {
    {
        std::lock_guard lock(mutex_);
        ConnectionInfo& info = connections_[id];
        info.Open = false;
        info.ClosedByClient = byClient;
    }
    changed_.notify_all();
}

std::vector<ConnectionInfo> State::Connections() const {
    std::lock_guard lock(mutex_);
    std::vector<ConnectionInfo> list;
    for (const auto& [id, info] : connections_) list.push_back(info);
    return list;
}

std::size_t State::OpenConnectionCount() const {
    std::lock_guard lock(mutex_);
    return OpenCountLocked();
}

bool State::WaitOpenConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return OpenCountLocked() == count; });
}

bool State::WaitClosedByClient(std::uint64_t id, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    const auto closed = [&] {
        const auto found = connections_.find(id);
        return found != connections_.end() && !found->second.Open;
    };
    if (!changed_.wait_for(lock, timeout, closed)) return false;
    return connections_.at(id).ClosedByClient;
}

std::size_t State::OpenCountLocked() const {
    return static_cast<std::size_t>(
        std::count_if(connections_.begin(), connections_.end(),
                      [](const auto& entry) { return entry.second.Open; }));
}

}  // namespace nuvsim
