// Real proxy servers from Debian's packages (tinyproxy, dante-server, microsocks, squid), each
// started on a free loopback port with a generated configuration and stopped by its pid.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimulatorFixture.h"

extern char** environ;

namespace nuv::test {

// One proxy process. Start waits (bounded) until its port accepts; Stop ends it by its pid.
class ProxyProcess {
  public:
    ProxyProcess() = default;
    ~ProxyProcess() { Stop(); }
    ProxyProcess(const ProxyProcess&) = delete;
    ProxyProcess& operator=(const ProxyProcess&) = delete;

    // Runs argv with its output in outputPath; false, with Error, when it cannot start, exits,
    // or does not accept on port within the bound.
    bool Start(const std::vector<std::string>& argv, uint16_t port, const std::string& outputPath) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = -1;
            Error = "cannot start " + argv[0];
            return false;
        }
        pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
        output_ = outputPath;
        return WaitAccepting(port);
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        if (!WaitExit(std::chrono::seconds(10))) ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        if (pidfd_ >= 0) ::close(pidfd_);
        pid_ = -1;
        pidfd_ = -1;
    }

    std::string Error;

  private:
    // Waits for the process to end: on its pidfd where the kernel has one, else by polling.
    bool WaitExit(std::chrono::milliseconds bound) {
        if (pidfd_ >= 0) {
            pollfd fd{pidfd_, POLLIN, 0};
            return ::poll(&fd, 1, static_cast<int>(bound.count())) > 0;
        }
        const auto end = std::chrono::steady_clock::now() + bound;
        do {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            ::poll(nullptr, 0, 20);
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    static bool Accepts(uint16_t port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    // Tries the port every 20 ms for up to 15 s; each pause is a wait on the process's exit.
    bool WaitAccepting(uint16_t port) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < end) {
            if (Accepts(port)) return true;
            if (WaitExit(std::chrono::milliseconds(20))) {
                if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
                pid_ = -1;
                Error = "exited at start:\n" + Output();
                return false;
            }
        }
        Error = "port " + std::to_string(port) + " did not accept:\n" + Output();
        return false;
    }

    std::string Output() const {
        std::ifstream in(output_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    pid_t pid_ = -1;
    int pidfd_ = -1;
    std::string output_;
};

// A free loopback port: bound once by the system's choice, then released for the proxy.
inline uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool UnderCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

// Skips the test (fails it under CI) when a proxy program is not installed.
#define NUV_REQUIRE_PROGRAM(program, package)                                                 \
    do {                                                                                      \
        if (!std::filesystem::exists(program)) {                                              \
            if (::nuv::test::UnderCi()) FAIL() << program << " missing: install " << package; \
            GTEST_SKIP() << program << " not installed (Debian package " << package << ")";   \
        }                                                                                     \
    } while (0)

inline constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";
inline constexpr const char* kDanted = "/usr/sbin/danted";
inline constexpr const char* kMicrosocks = "/usr/bin/microsocks";
inline constexpr const char* kSquid = "/usr/sbin/squid";

// The simulator and the proxies of one test, with their configuration files in a temporary
// folder that goes with them.
class RealProxyTest : public SimulatorTest {
  protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        char pattern[] = "/tmp/nuv-proxy-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        ::chmod(pattern, 0777);  // squid writes its log as its own unprivileged user
    }
    void TearDown() override {
        for (int32_t h : handles_) ZpClose(h);
        processes_.clear();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        SimulatorTest::TearDown();
    }

    // Each returns the proxy's port, or 0 with a test failure when it did not come up.
    uint16_t StartTinyproxy(const std::string& user = {}, const std::string& password = {}) {
        return Launch("tinyproxy", [&](uint16_t port, const std::string& config) {
            Write(config, "Port " + std::to_string(port) +
                              "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\n"
                              "LogLevel Info\nLogFile \"" +
                              folder_ + "/tinyproxy.log\"\n" +
                              (user.empty() ? "" : "BasicAuth " + user + " " + password + "\n"));
            return std::vector<std::string>{kTinyproxy, "-d", "-c", config};
        });
    }
    uint16_t StartDante() {
        return Launch("danted", [&](uint16_t port, const std::string& config) {
            const std::string users =
                ::geteuid() == 0 ? "user.privileged: root\nuser.unprivileged: nobody\n" : "";
            Write(config,
                  "logoutput: " + folder_ +
                      "/danted.log\ninternal: 127.0.0.1 port = " + std::to_string(port) +
                      "\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: none\n" + users +
                      "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                      "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }\n");
            return std::vector<std::string>{kDanted, "-f", config, "-N", "1"};
        });
    }
    uint16_t StartMicrosocks(const std::string& user, const std::string& password) {
        return Launch("microsocks", [&](uint16_t port, const std::string&) {
            return std::vector<std::string>{
                kMicrosocks, "-i", "127.0.0.1", "-p",    std::to_string(port),
                "-u",        user, "-P",        password};
        });
    }
    uint16_t StartSquid() {
        return Launch("squid", [&](uint16_t port, const std::string& config) {
            Write(config, "http_port 127.0.0.1:" + std::to_string(port) + "\npid_filename " +
                              folder_ + "/squid.pid\ncache_log " + folder_ +
                              "/cache.log\naccess_log none\ncache deny all\ncache_mem 8 MB\n"
                              "http_access allow all\ncoredump_dir " +
                              folder_ +
                              "\nshutdown_lifetime 0 seconds\nnetdb_filename none\n"
                              "pinger_enable off\ndns_nameservers 127.0.0.1\n" +
                              (::geteuid() == 0 ? "cache_effective_user proxy\n" : ""));
            return std::vector<std::string>{kSquid, "-N", "-f", config};
        });
    }

    // A handle for the simulator through the proxy, closed at the end of the test.
    int32_t OpenThrough(int32_t type, uint16_t proxyPort, const char* user = "",
                        const char* password = "") {
        const int32_t h =
            ZpProxyOpen("127.0.0.1", gateway.Port(), type, "127.0.0.1", proxyPort, user, password);
        EXPECT_GT(h, 0);
        ZpSetTimeout(h, 5000);
        handles_.push_back(h);
        return h;
    }

  private:
    template <class MakeArgs>
    uint16_t Launch(const std::string& name, MakeArgs makeArgs) {
        // A port taken by someone else between choosing and binding gets one more try.
        std::string error;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const uint16_t port = FreeLoopbackPort();
            auto process = std::make_unique<ProxyProcess>();
            const std::string config = folder_ + "/" + name + ".conf";
            if (process->Start(makeArgs(port, config), port, folder_ + "/" + name + ".out")) {
                processes_.push_back(std::move(process));
                return port;
            }
            error = process->Error;
        }
        ADD_FAILURE() << name << ": " << error;
        return 0;
    }

    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path) << text;
    }

  private:
    std::string folder_;
    std::vector<std::unique_ptr<ProxyProcess>> processes_;
    std::vector<int32_t> handles_;
};

}  // namespace nuv::test
