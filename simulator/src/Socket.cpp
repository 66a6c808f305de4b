// poll()-based socket waits: every wait ends at its deadline or when the gateway stops.
#include "Socket.h"

// Sockets stay blocking; every call below passes MSG_DONTWAIT so that only poll() ever waits.

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace nuvsim {
namespace {

// Milliseconds left until Deadline, for poll(); never negative.
int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Waits for Events on Fd (or for the stop descriptor); a negative timeout waits without bound.
IoResult Wait(int fd, short events, int stopFd, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    pollfd* first = fd >= 0 ? fds : fds + 1;
    for (;;) {
        const int ready = poll(first, count, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return IoResult::Closed;
        if (fds[1].revents != 0) return IoResult::Stopped;
        if (ready == 0) return IoResult::TimedOut;
        return IoResult::Ok;
    }
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
}

IoResult ReadExact(int fd, std::size_t count, std::string& out, int stopFd,
                   Clock::time_point deadline) {
    char buffer[4096];
    while (count > 0) {
        // Bytes already there are taken at once; only an empty socket is waited for.
        const ssize_t n = recv(fd, buffer, std::min(count, sizeof buffer), MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            const IoResult ready = Wait(fd, POLLIN, stopFd, RemainingMs(deadline));
            if (ready != IoResult::Ok) return ready;
            continue;
        }
        if (n <= 0) return IoResult::Closed;
        out.append(buffer, static_cast<std::size_t>(n));
        count -= static_cast<std::size_t>(n);
    }
    return IoResult::Ok;
}

IoResult SendAll(int fd, std::string_view data, int stopFd, Clock::time_point deadline) {
    while (!data.empty()) {
        const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            const IoResult ready = Wait(fd, POLLOUT, stopFd, RemainingMs(deadline));
            if (ready != IoResult::Ok) return ready;
            continue;
        }
        if (n <= 0) return IoResult::Closed;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return IoResult::Ok;
}

IoResult WaitUntil(int stopFd, Clock::time_point deadline) {
    return Wait(-1, 0, stopFd, RemainingMs(deadline));
}

IoResult WaitReadable(int fd, int stopFd) {
    return Wait(fd, POLLIN, stopFd, -1);
}

}  // namespace nuvsim
