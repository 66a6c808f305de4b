// One mass send of 100,000 recipients through libNUV to the gateway in a child process, beside
// the time to push the same bytes through a raw loopback socket.
//
// The gateway runs as a separate nuv-gateway process so that the peak memory read here (VmHWM,
// reset through /proc/self/clear_refs before the timed loop) is the client's alone.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "nuv/nuv.h"

extern char** environ;

namespace {

constexpr int kRecipients = 100000;
// The request layout: 13 bytes of packet frame, 164 fixed body bytes, 15 per number; a packet
// holds at most 4357 numbers beside a one-segment text.
constexpr long kFrame = 13, kFixed = 164, kEntry = 15, kPerPacket = 4357;

// 100,000 valid numbers cycling through the three carrier classes.
std::string Recipients() {
    std::string text;
    text.reserve(kRecipients * 14);
    const char* prefixes[] = {"139", "130", "0755"};
    for (int i = 0; i < kRecipients; ++i) {
        const std::string prefix = prefixes[i % 3];
        std::string digits = std::to_string(10000000 + i);
        text += prefix + digits + "\r\n";
    }
    return text;
}

// The request packets that send puts on the wire: one command per class and 4357 numbers.
std::vector<long> PacketSizes() {
    std::vector<long> sizes;
    for (int cls = 0; cls < 3; ++cls) {
        long left = kRecipients / 3 + (cls < kRecipients % 3 ? 1 : 0);
        while (left > 0) {
            const long n = std::min(left, kPerPacket);
            sizes.push_back(kFrame + kFixed + kEntry * n);
            left -= n;
        }
    }
    return sizes;
}

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0) return std::stol(line.substr(length + 1));
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The gateway child: started once, stopped with SIGTERM at the end.
struct GatewayProcess {
    pid_t Pid = -1;
    int Port = 0;

    bool Start() {
        int out[2];
        if (pipe(out) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const char* argv[] = {NUV_GATEWAY_PATH, "--port",    "0",          "--account",
                              "bench:pw",       "--balance", "2000000000", nullptr};
        const int rc = posix_spawn(&Pid, NUV_GATEWAY_PATH, &actions, nullptr,
                                   const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (rc != 0) {
            close(out[0]);
            return false;
        }
        // The first line names the port: "listening on 127.0.0.1:PORT".
        std::string line;
        char c;
        while (line.size() < 200 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
        close(out[0]);
        const size_t colon = line.rfind(':');
        if (colon != std::string::npos) Port = std::atoi(line.c_str() + colon + 1);
        return Port > 0;
    }
    void Stop() {
        if (Pid <= 0) return;
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
        Pid = -1;
    }
};

GatewayProcess gGateway;

void BM_MassSend100k(benchmark::State& state) {
    const std::string mobiles = Recipients();
    std::vector<char> success(kRecipients * 16), fail(kRecipients * 32);
    const int32_t h = ZpOpen("127.0.0.1", gGateway.Port);
    if (ZpLogin(h, "bench", "pw") != 0) {
        state.SkipWithError("login failed");
        ZpClose(h);
        return;
    }
    const long baseKiB = StatusKiB("VmRSS:");
    ResetPeak();
    for (auto _ : state) {
        int32_t successLength = 0, failLength = 0;
        const int32_t result = ZpMassSend(h, mobiles.c_str(), "Hi", success.data(), fail.data(),
                                          &successLength, &failLength);
        if (result != 0 || successLength != static_cast<int32_t>(mobiles.size())) {
            state.SkipWithError("mass send failed");
            break;
        }
    }
    const long peakKiB = StatusKiB("VmHWM:");
    ZpLogout(h);
    ZpClose(h);
    state.counters["recipients/s"] =
        benchmark::Counter(kRecipients, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["rss_before_MiB"] = baseKiB / 1024.0;
    state.counters["peak_MiB"] = peakKiB / 1024.0;
}

// A loopback TCP connection to a thread that reads everything and answers one byte per packet.
struct RawLoopback {
    int Client = -1;
    std::thread Reader;

    explicit RawLoopback(std::vector<long> sizes) {
        const int listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 1);
        socklen_t size = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        Client = socket(AF_INET, SOCK_STREAM, 0);
        connect(Client, reinterpret_cast<sockaddr*>(&address), sizeof address);
        const int server = accept(listener, nullptr, nullptr);
        close(listener);
        Reader = std::thread([server, sizes] {
            std::vector<char> buffer(1 << 16);
            for (;;) {
                for (long want : sizes) {
                    while (want > 0) {
                        const ssize_t n =
                            recv(server, buffer.data(), std::min<long>(want, buffer.size()), 0);
                        if (n <= 0) return close(server);
                        want -= n;
                    }
                    if (send(server, "", 1, MSG_NOSIGNAL) != 1) return close(server);
                }
            }
        });
    }
    ~RawLoopback() {
        shutdown(Client, SHUT_RDWR);
        close(Client);
        Reader.join();
    }
};

// The floor: the same request bytes, packet by packet, each answered by one byte.
void BM_RawLoopbackSameBytes(benchmark::State& state) {
    const std::vector<long> sizes = PacketSizes();
    long total = 0;
    for (long size : sizes) total += size;
    RawLoopback loop(sizes);
    std::string packet(static_cast<size_t>(kFrame + kFixed + kEntry * kPerPacket), 'x');
    for (auto _ : state) {
        for (long size : sizes) {
            for (long sent = 0; sent < size;) {
                const ssize_t n = send(loop.Client, packet.data() + sent, size - sent, 0);
                if (n <= 0) return state.SkipWithError("send failed");
                sent += n;
            }
            char answer;
            if (recv(loop.Client, &answer, 1, 0) != 1) return state.SkipWithError("recv failed");
        }
    }
    state.counters["packets"] = static_cast<double>(sizes.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * total);
}

}  // namespace

BENCHMARK(BM_MassSend100k)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawLoopbackSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!gGateway.Start()) {
        std::fprintf(stderr, "cannot start %s\n", NUV_GATEWAY_PATH);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gGateway.Stop();
    return 0;
}
