// One keep-alive exchange through the library against the in-process gateway, beside a plain
// TCP exchange of the same sizes over loopback as the floor it is compared with, and a plain
// client against the gateway to show the gateway's own share.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "nuv/nuv.h"
#include "nuvsim/Accounts.h"
#include "nuvsim/Gateway.h"

namespace {

constexpr std::size_t kRequestSize = 13;  // a keep-alive request is a header and a checksum
constexpr double kAcceptedRatio = 1.3;

// A logged-in handle on a gateway running in this process.
class KeepAliveSession {
  public:
    KeepAliveSession() {
        const nuvsim::Account account = nuvsim::DemoAccount();
        gateway_.AddAccount(account);
        if (!gateway_.Start()) throw std::runtime_error(gateway_.LastError());
        handle_ = ZpOpen("127.0.0.1", gateway_.Port());
        ZpSetTimeout(handle_, 5000);
        if (ZpLogin(handle_, account.User.c_str(), account.Password.c_str()) != 0) {
            throw std::runtime_error("login failed");
        }
    }
    ~KeepAliveSession() {
        ZpLogout(handle_);
        ZpClose(handle_);
    }

    int32_t Handle() const { return handle_; }
    uint16_t Port() const { return gateway_.Port(); }
    // The gateway records every request; cleared before each run so memory stays flat.
    void ClearRecords() { gateway_.ClearRequests(); }

    // The size of the gateway's keep-alive answer packet, from its record of the last request.
    std::size_t AnswerSize() {
        if (ZpKeepAlive(handle_) != 0) throw std::runtime_error("keep-alive failed");
        const auto requests = gateway_.Requests();
        if (requests.back().CommandCode != nuvsim::command::kKeepAlive) {
            throw std::runtime_error("no keep-alive recorded");
        }
        return requests.back().AnswerBody.size() + 13;
    }

  private:
    nuvsim::Gateway gateway_;
    int32_t handle_ = -1;
};

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReceiveAll(int fd, char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = recv(fd, data, size, 0);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Two connected loopback sockets; a server thread answers every 13-byte request with one send
// of AnswerSize bytes, as the gateway does.
class RawExchange {
  public:
    explicit RawExchange(std::size_t answerSize) : answerSize_(answerSize) {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener, 1) != 0 ||
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            throw std::runtime_error("cannot listen on loopback");
        }
        client_ = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            throw std::runtime_error("cannot connect on loopback");
        }
        const int server = accept(listener, nullptr, nullptr);
        close(listener);
        server_ = std::thread([this, server] { Serve(server); });
    }
    ~RawExchange() {
        shutdown(client_, SHUT_RDWR);  // the server thread sees the end and stops
        server_.join();
        close(client_);
    }

    bool Exchange() {
        char request[kRequestSize] = {'M', 'H', kRequestSize};
        char answer[256];
        return SendAll(client_, request, sizeof request) &&
               ReceiveAll(client_, answer, answerSize_);
    }

  private:
    void Serve(int fd) {
        const std::string answer(answerSize_, '\0');
        char request[kRequestSize];
        while (ReceiveAll(fd, request, sizeof request) &&
               SendAll(fd, answer.data(), answer.size())) {
        }
        close(fd);
    }

    std::size_t answerSize_;
    int client_ = -1;
    std::thread server_;
};

int ConnectLoopback(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot connect on loopback");
    }
    return fd;
}

// A plain socket logged in to the gateway that sends ready-made keep-alive packets: the time
// of the gateway's side without the library's.
class RawGatewayClient {
  public:
    RawGatewayClient(uint16_t port, std::size_t answerSize)
        : fd_(ConnectLoopback(port)), answerSize_(answerSize) {
        const nuvsim::Account account = nuvsim::DemoAccount();
        const std::string login = nuvsim::BuildPacket(
            nuvsim::command::kLogin, nuvsim::LoginRequestBody(account.User, account.Password));
        char header[12];
        std::string body;
        if (!SendAll(fd_, login.data(), login.size()) || !ReceiveAll(fd_, header, sizeof header)) {
            throw std::runtime_error("raw login failed");
        }
        body.resize(nuvsim::PacketLength(std::string_view(header, sizeof header)) - 12);
        if (!ReceiveAll(fd_, body.data(), body.size()))
            throw std::runtime_error("raw login failed");
        keepAlive_ = nuvsim::BuildPacket(nuvsim::command::kKeepAlive, "");
    }
    ~RawGatewayClient() { close(fd_); }

    bool Exchange() {
        char answer[256];
        return SendAll(fd_, keepAlive_.data(), keepAlive_.size()) &&
               ReceiveAll(fd_, answer, answerSize_);
    }

  private:
    int fd_;
    std::size_t answerSize_;
    std::string keepAlive_;
};

KeepAliveSession* session = nullptr;
RawExchange* raw = nullptr;
RawGatewayClient* rawGateway = nullptr;

void BM_KeepAlive(benchmark::State& state) {
    session->ClearRecords();
    for (auto _ : state) {
        if (ZpKeepAlive(session->Handle()) != 0) state.SkipWithError("keep-alive failed");
    }
}

void BM_RawExchange(benchmark::State& state) {
    for (auto _ : state) {
        if (!raw->Exchange()) state.SkipWithError("raw exchange failed");
    }
}

void BM_RawClientToGateway(benchmark::State& state) {
    session->ClearRecords();
    for (auto _ : state) {
        if (!rawGateway->Exchange()) state.SkipWithError("raw gateway exchange failed");
    }
}

BENCHMARK(BM_KeepAlive)->UseRealTime()->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawExchange)->UseRealTime()->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(BM_RawClientToGateway)->UseRealTime()->Repetitions(15)->ReportAggregatesOnly(true);

// The console output, plus the medians kept for the summary line.
class MedianReporter : public benchmark::ConsoleReporter {
  public:
    MedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;  // in the benchmarks' time unit (ns)
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    KeepAliveSession keepAlive;
    const std::size_t answerSize = keepAlive.AnswerSize();
    RawExchange exchange(answerSize);
    RawGatewayClient gatewayClient(keepAlive.Port(), answerSize);
    session = &keepAlive;
    raw = &exchange;
    rawGateway = &gatewayClient;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto median = [&](const char* name) {
        const auto found = reporter.medians.find(name);
        return found == reporter.medians.end() ? 0.0 : found->second / 1000;
    };
    const double ours = median("BM_KeepAlive");
    const double floor = median("BM_RawExchange");
    if (ours <= 0 || floor <= 0) return 0;  // filtered out on the command line
    const double ratio = ours / floor;
    std::printf(
        "keep-alive median %.1f us; raw %zu+%zu-byte exchange median %.1f us; ratio %.2f "
        "(accepted up to %.1f): %s\n",
        ours, kRequestSize, answerSize, floor, ratio, kAcceptedRatio,
        ratio <= kAcceptedRatio ? "within" : "OVER");
    if (const double gatewayOnly = median("BM_RawClientToGateway"); gatewayOnly > 0) {
        std::printf(
            "plain client to the gateway median %.1f us: gateway side %.1f us over the raw "
            "server, library side %.1f us over a plain client\n",
            gatewayOnly, gatewayOnly - floor, ours - gatewayOnly);
    }
    return 0;
}
