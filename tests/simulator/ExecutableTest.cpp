// The nuv-gateway executable: options, the first output line, verbose logging and clean stops.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "TestClient.h"

namespace nuvsim::test {
namespace {

// nuv-gateway run as a child process with its standard output on a pipe.
class GatewayProcess {
  public:
    explicit GatewayProcess(std::vector<std::string> arguments) {
        // A free port unless the test names one: the program's own default is the gateway's 9900.
        if (std::find(arguments.begin(), arguments.end(), "--port") == arguments.end()) {
            arguments.insert(arguments.begin(), {"--port", "0"});
        }
        arguments.insert(arguments.begin(), NUV_GATEWAY_PATH);
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(out[1], STDERR_FILENO);
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        output_ = out[0];
    }

    ~GatewayProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) close(output_);
    }

    // The next output line without its newline; empty optional on time-out or end of output.
    std::optional<std::string> ReadLine() {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        for (;;) {
            const std::size_t newline = buffer_.find('\n');
            if (newline != std::string::npos) {
                std::string line = buffer_.substr(0, newline);
                buffer_.erase(0, newline + 1);
                return line;
            }
            if (!ReadMore(deadline)) return std::nullopt;
        }
    }

    // Skips lines until one contains Text.
    bool WaitForLine(std::string_view text) {
        while (auto line = ReadLine()) {
            if (line->find(text) != std::string::npos) return true;
        }
        return false;
    }

    // Reads to the end of output (the process has exited then) and returns its exit status.
    std::optional<int> WaitExit() {
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        while (ReadMore(deadline)) {
        }
        if (!outputEnded_) return std::nullopt;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Signal(int number) { kill(pid_, number); }
    const std::string& Pending() const { return buffer_; }

  private:
    bool ReadMore(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{output_, POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
        char chunk[1024];
        const ssize_t n = read(output_, chunk, sizeof chunk);
        if (n <= 0) {
            outputEnded_ = true;
            return false;
        }
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
    bool outputEnded_ = false;
};

// Reads "listening on 127.0.0.1:PORT" and returns the port (0 when the line is wrong).
std::uint16_t ListeningPort(GatewayProcess& process) {
    const std::optional<std::string> line = process.ReadLine();
    const std::string prefix = "listening on 127.0.0.1:";
    if (!line || line->rfind(prefix, 0) != 0) {
        ADD_FAILURE() << "first line: " << line.value_or("(none)");
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(line->substr(prefix.size())));
}

TEST(ExecutableTest, ServesGivenAccountsLogsRequestsAndStopsOnSigterm) {
    GatewayProcess process({"--account", "alice:secret:7:测试企业", "--busy", "4", "--verbose"});
    const std::uint16_t port = ListeningPort(process);
    ASSERT_NE(port, 0);

    TestClient client(port);
    ASSERT_TRUE(client.Connected());
    const std::string login = client.Login("alice", "secret");
    EXPECT_EQ(login.substr(0, 25), std::string("\x01\x07\x00\x00\x00", 5) +
                                       PadText("\xB2\xE2\xCA\xD4\xC6\xF3\xD2\xB5", 20, '\0'));
    EXPECT_TRUE(process.WaitForLine("login user=alice: success")) << process.Pending();
    EXPECT_EQ(client.Exchange(command::kExtendService, ServiceRequestBody("QueryServerState")).Body,
              "+OK\r\n\r\n\xB7\xB1\xC3\xA6\xB5\xC8\xBC\xB6=4");
    // Given accounts replace the demo account.
    TestClient demo(port);
    EXPECT_EQ(demo.Login("demo", "demo123")[0], 0);
    EXPECT_TRUE(process.WaitForLine("login user=demo: no such user")) << process.Pending();

    process.Signal(SIGTERM);
    EXPECT_EQ(process.WaitExit(), 0);
    EXPECT_TRUE(client.WaitServerClose());
}

TEST(ExecutableTest, ServesTheDemoAccountByDefaultAndStopsOnSigint) {
    GatewayProcess process({});
    const std::uint16_t port = ListeningPort(process);
    ASSERT_NE(port, 0);
    TestClient client(port);
    const std::string login = client.Login("demo", "demo123");
    ASSERT_GE(login.size(), 25u);
    EXPECT_EQ(login.substr(0, 5), std::string("\x01\xE9\x03\x00\x00", 5));  // enterprise 1001
    EXPECT_EQ(TrimPadding(login.substr(5, 20)), "NUV\xD1\xDD\xCA\xBE");
    process.Signal(SIGINT);
    EXPECT_EQ(process.WaitExit(), 0);
}

TEST(ExecutableTest, ReadsAnAccountsFile) {
    const std::string path = ::testing::TempDir() + "nuv-gateway-accounts.txt";
    std::ofstream(path) << "# test accounts\n"
                           "carol pw 55 Carol Ltd\n"
                           "  移动长度=60\n";
    GatewayProcess process({"--accounts", path});
    const std::uint16_t port = ListeningPort(process);
    ASSERT_NE(port, 0);
    TestClient client(port);
    EXPECT_EQ(TrimPadding(client.Login("carol", "pw").substr(5, 20)), "Carol Ltd");
    EXPECT_EQ(client.Exchange(command::kExtendService, ServiceRequestBody("SwapUserInfo")).Body,
              "+OK\r\n\r\n\xD2\xC6\xB6\xAF\xB3\xA4\xB6\xC8=60");
    process.Signal(SIGTERM);
    EXPECT_EQ(process.WaitExit(), 0);
    std::remove(path.c_str());
}

TEST(ExecutableTest, HelpAndBadOptions) {
    struct Case {
        std::vector<std::string> Arguments;
        int ExitCode;
        std::string Output;
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: nuv-gateway"},
        {{"--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"--port", "70000"}, 2, "invalid port"},
        {{"--account", "nopassword"}, 2, "user and password are required"},
        {{"--accounts", "/nonexistent/accounts"}, 2, "cannot read"},
        {{"--bind", "999.1.1.1"}, 2, "not an IPv4 address"},
        {{"--port"}, 2, "--port needs a value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Arguments.front());
        GatewayProcess process(c.Arguments);
        EXPECT_EQ(process.WaitExit(), c.ExitCode);
        EXPECT_NE(process.Pending().find(c.Output), std::string::npos) << process.Pending();
    }
}

}  // namespace
}  // namespace nuvsim::test
