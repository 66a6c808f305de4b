// The listening socket, one thread per connection, and the public face of the gateway.
#include "nuvsim/Gateway.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <list>
#include <system_error>
#include <thread>

#include "Connection.h"
#include "Socket.h"
#include "State.h"

namespace nuvsim {
namespace {

// A connection thread and the flag it raises when it has finished.
struct Worker {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Done = std::make_shared<std::atomic<bool>>(false);
};

std::string SystemError(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

}  // namespace

struct Gateway::Impl {
    GatewayOptions Options;
    State Shared;
    UniqueFd Listener;
    UniqueFd StopEvent;  // becomes readable once, when Stop begins; every wait watches it
    std::thread Acceptor;
    std::list<Worker> Workers;  // touched by the acceptor thread, then by Stop after joining it
    std::uint16_t BoundPort = 0;
    std::string Error;
    bool Running = false;

    bool Fail(std::string message) {
        Error = std::move(message);
        return false;
    }
    bool Listen();
    void AcceptLoop();
    void Spawn(UniqueFd socket);
    void ReapFinished();
};

bool Gateway::Impl::Listen() {
    Listener.Reset(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!Listener.Valid()) return Fail(SystemError("socket"));
    const int on = 1;
    setsockopt(Listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(Options.Port);
    if (inet_pton(AF_INET, Options.BindAddress.c_str(), &address.sin_addr) != 1) {
        return Fail("not an IPv4 address: " + Options.BindAddress);
    }
    if (bind(Listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return Fail(SystemError("bind"));
    }
    if (listen(Listener.Get(), SOMAXCONN) != 0) return Fail(SystemError("listen"));
    socklen_t size = sizeof address;
    getsockname(Listener.Get(), reinterpret_cast<sockaddr*>(&address), &size);
    BoundPort = ntohs(address.sin_port);
    return true;
}

void Gateway::Impl::AcceptLoop() {
    while (WaitReadable(Listener.Get(), StopEvent.Get()) == IoResult::Ok) {
        UniqueFd client(accept4(Listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!client.Valid()) {
            // Out of descriptors: back off instead of spinning on a listener that stays readable.
            if (errno == EMFILE || errno == ENFILE) {
                WaitUntil(StopEvent.Get(), Clock::now() + std::chrono::milliseconds(100));
            }
            continue;
        }
        ReapFinished();
        if (Shared.OpenConnectionCount() >= Options.MaxConnections) continue;  // closes it
        Spawn(std::move(client));
    }
}

void Gateway::Impl::Spawn(UniqueFd socket) {
    const std::uint64_t id = Shared.OpenConnection();
    Worker& worker = Workers.emplace_back();
    try {
        worker.Thread =
            std::thread([this, id, done = worker.Done, fd = std::move(socket)]() mutable {
                ServeConnection(std::move(fd), id, Shared, StopEvent.Get(), Options);
                done->store(true);
            });
    } catch (const std::system_error&) {
        // No thread to be had: the socket went down with the lambda, so the connection is over.
        Workers.pop_back();
        Shared.CloseConnection(id, false);
    }
}

void Gateway::Impl::ReapFinished() {
    for (auto it = Workers.begin(); it != Workers.end();) {
        if (!it->Done->load()) {
            ++it;
            continue;
        }
        it->Thread.join();
        it = Workers.erase(it);
    }
}

Gateway::Gateway(GatewayOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->Options = std::move(options);
}

Gateway::~Gateway() {
    Stop();
}

bool Gateway::Start() {
    Impl& impl = *impl_;
    if (impl.Running) return impl.Fail("already running");
    impl.StopEvent.Reset(eventfd(0, EFD_CLOEXEC));
    if (!impl.StopEvent.Valid()) return impl.Fail(SystemError("eventfd"));
    if (!impl.Listen()) {
        impl.Listener.Reset();
        return false;
    }
    impl.Acceptor = std::thread([&impl] { impl.AcceptLoop(); });
    impl.Running = true;
    return true;
}

void Gateway::Stop() {
    Impl& impl = *impl_;
    if (!impl.Running) return;
    const std::uint64_t one = 1;
    // A failed write would leave threads waiting, but an eventfd below its maximum never fails.
    [[maybe_unused]] const ssize_t written = write(impl.StopEvent.Get(), &one, sizeof one);
    impl.Acceptor.join();
    for (Worker& worker : impl.Workers) worker.Thread.join();
    impl.Workers.clear();
    impl.Listener.Reset();
    impl.StopEvent.Reset();
    impl.Running = false;
}

std::uint16_t Gateway::Port() const {
    return impl_->BoundPort;
}
std::string Gateway::LastError() const {
    return impl_->Error;
}

void Gateway::AddAccount(Account account) {
    impl_->Shared.AddAccount(std::move(account));
}
void Gateway::RemoveAccount(const std::string& user) {
    impl_->Shared.RemoveAccount(user);
}
void Gateway::SetBusyLevel(int level) {
    impl_->Shared.SetBusyLevel(level);
}

std::optional<Account> Gateway::FindAccount(const std::string& user) const {
    return impl_->Shared.FindAccount(user);
}
bool Gateway::SetBalance(const std::string& user, std::int32_t balance) {
    return impl_->Shared.SetBalance(user, balance);
}
std::optional<std::int32_t> Gateway::Balance(const std::string& user) const {
    const std::optional<Account> account = impl_->Shared.FindAccount(user);
    if (!account) return std::nullopt;
    return account->Balance.value_or(0);
}
bool Gateway::Charge(const std::string& user, std::int32_t points) {
    return impl_->Shared.Charge(user, points);
}
void Gateway::QueueReceived(const std::string& user, std::string text) {
    impl_->Shared.QueueReceived(user, std::move(text));
}
std::size_t Gateway::QueuedReceived(const std::string& user) const {
    return impl_->Shared.QueuedReceived(user);
}
void Gateway::SetForbiddenWords(std::vector<std::string> words) {
    impl_->Shared.SetForbiddenWords(std::move(words));
}

void Gateway::RefuseSends(int count) {
    impl_->Shared.RefuseSends(count);
}
void Gateway::RefuseSendsWith(const std::string& number) {
    impl_->Shared.RefuseSendsWith(number);
}
void Gateway::RefuseNumber(const std::string& number, std::uint8_t result) {
    impl_->Shared.RefuseNumber(number, result);
}
void Gateway::RejectContent(const std::string& text) {
    impl_->Shared.RejectContent(text);
}
void Gateway::ClearSendRules() {
    impl_->Shared.ClearSendRules();
}
std::vector<RecordedMessage> Gateway::Messages() const {
    return impl_->Shared.Messages();
}
void Gateway::ClearMessages() {
    impl_->Shared.ClearMessages();
}
bool Gateway::WaitForMessages(std::size_t count, std::chrono::milliseconds timeout) const {
    return impl_->Shared.WaitForMessages(count, timeout);
}
void Gateway::SetMessageObserver(std::function<void(const RecordedMessage&)> observer) {
    impl_->Shared.SetMessageObserver(std::move(observer));
}

void Gateway::AddFault(Fault fault) {
    impl_->Shared.AddFault(std::move(fault));
}
void Gateway::ClearFaults() {
    impl_->Shared.ClearFaults();
}

std::vector<RecordedRequest> Gateway::Requests() const {
    return impl_->Shared.Requests();
}
void Gateway::ClearRequests() {
    impl_->Shared.ClearRequests();
}
bool Gateway::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    return impl_->Shared.WaitForRequests(count, timeout);
}
void Gateway::SetObserver(std::function<void(const RecordedRequest&)> observer) {
    impl_->Shared.SetObserver(std::move(observer));
}

std::size_t Gateway::DroppedPackets() const {
    return impl_->Shared.DroppedPackets();
}

std::vector<ConnectionInfo> Gateway::Connections() const {
    return impl_->Shared.Connections();
}
std::size_t Gateway::OpenConnectionCount() const {
    return impl_->Shared.OpenConnectionCount();
}
bool Gateway::WaitOpenConnectionCount(std::size_t count, std::chrono::milliseconds timeout) const {
    return impl_->Shared.WaitOpenConnectionCount(count, timeout);
}
bool Gateway::WaitClosedByClient(std::uint64_t id, std::chrono::milliseconds timeout) const {
    return impl_->Shared.WaitClosedByClient(id, timeout);
}

}  // namespace nuvsim
