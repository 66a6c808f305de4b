// Descriptor ownership and bounded socket reads and writes that a stop signal can interrupt.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace nuvsim {

// Owns one file descriptor and closes it once.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    void Reset(int fd = -1);

  private:
    int fd_ = -1;
};

using Clock = std::chrono::steady_clock;

enum class IoResult {
    Ok,
    Closed,    // the peer closed the connection or it failed
    TimedOut,  // the deadline passed first
    Stopped,   // the stop descriptor became readable
};

// Reads exactly Count bytes and appends them to Out.
IoResult ReadExact(int fd, std::size_t count, std::string& out, int stopFd,
                   Clock::time_point deadline);
// Sends all of Data; TimedOut when the peer stops reading until the deadline.
IoResult SendAll(int fd, std::string_view data, int stopFd, Clock::time_point deadline);
// Waits until the deadline; Stopped when the stop descriptor fires first.
IoResult WaitUntil(int stopFd, Clock::time_point deadline);
// Waits until Fd is readable or Stop fires (no bound but Stop itself).
IoResult WaitReadable(int fd, int stopFd);

}  // namespace nuvsim
