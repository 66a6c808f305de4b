// A scripted fake proxy on a loopback port, for answers that real proxies cannot be made to give.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace nuv::test {

// Accepts connections one after another and plays one script on each. A step reads (a byte
// count, or up to and including a text), then sends its reply parts, each with a send of its own.
// After its last step a connection is closed, unless the step holds it: then it stays open and
// silent until the peer closes it. Every wait is bounded and Stop ends them all.
class ScriptedProxy {
  public:
    struct Step {
        size_t Count = 0;
        std::string Until;
        std::vector<std::string> Reply;
        bool Hold = false;
    };
    using Script = std::vector<Step>;

    static Step Read(size_t count, std::vector<std::string> reply = {}) {
        return Step{count, {}, std::move(reply), false};
    }
    static Step ReadUntil(std::string text, std::vector<std::string> reply = {}) {
        return Step{0, std::move(text), std::move(reply), false};
    }
    static Step ReadThenHold(size_t count) { return Step{count, {}, {}, true}; }
    static Step ReadUntilThenHold(std::string text) { return Step{0, std::move(text), {}, true}; }

    explicit ScriptedProxy(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 8) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        if (::pipe2(stop_, O_CLOEXEC) != 0) return;
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedProxy() {
        Stop();
        ::close(listener_);
    }
    ScriptedProxy(const ScriptedProxy&) = delete;
    ScriptedProxy& operator=(const ScriptedProxy&) = delete;

    uint16_t Port() const { return port_; }

    // Ends every wait and joins the proxy's thread.
    void Stop() {
        if (!thread_.joinable()) return;
        const char one = 1;
        [[maybe_unused]] ssize_t n = ::write(stop_[1], &one, 1);
        thread_.join();
        ::close(stop_[0]);
        ::close(stop_[1]);
    }

    // The bytes read on each connection, once the proxy has stopped.
    std::vector<std::string> Received() {
        Stop();
        return received_;
    }

  private:
    static constexpr int kBoundMs = 5000;  // only a broken client reaches it

    // Waits until fd is readable; false on the bound or Stop.
    bool WaitReadable(int fd) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_[0], POLLIN, 0}};
        return ::poll(fds, 2, kBoundMs) > 0 && fds[1].revents == 0 && fds[0].revents != 0;
    }

    bool ReadStep(int fd, const Step& step, std::string& got) {
        const size_t start = got.size();
        for (;;) {
            const std::string_view read = std::string_view(got).substr(start);
            if (step.Until.empty() ? read.size() >= step.Count
                                   : read.find(step.Until) != std::string_view::npos)
                return true;
            if (!WaitReadable(fd)) return false;
            // One byte at a time, so nothing beyond the step is taken.
            char c = 0;
            if (::recv(fd, &c, 1, 0) != 1) return false;
            got.push_back(c);
        }
    }

    void Play(int fd, const Script& script, std::string& got) {
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        for (const Step& step : script) {
            if (!ReadStep(fd, step, got)) return;
            for (const std::string& part : step.Reply) {
                if (::send(fd, part.data(), part.size(), MSG_NOSIGNAL) < 0) return;
            }
            if (step.Hold) {
                char c = 0;
                while (WaitReadable(fd) && ::recv(fd, &c, 1, 0) == 1) got.push_back(c);
                return;
            }
        }
    }

    void Run() {
        for (const Script& script : scripts_) {
            if (!WaitReadable(listener_)) return;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            std::string got;
            Play(fd, script, got);
            ::close(fd);
            received_.push_back(std::move(got));
        }
    }

    std::vector<Script> scripts_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::thread thread_;
    std::vector<std::string> received_;  // touched by the thread until Stop joins it
};

}  // namespace nuv::test
