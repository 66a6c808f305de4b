// A plain-socket client for the gateway tests, with every read bounded in time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "nuvsim/Gateway.h"
#include "nuvsim/Packet.h"

namespace nuvsim::test {

using namespace std::chrono_literals;

// Bound for waits that should end almost at once; only a broken gateway reaches it.
inline constexpr std::chrono::milliseconds kWait = 5s;

enum class ReadStatus { Ok, Closed, TimedOut };

class TestClient {
  public:
    explicit TestClient(std::uint16_t port);
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    bool Send(std::string_view bytes);
    bool SendPacket(std::uint8_t code, std::string_view body);

    // Reads until Count bytes are in, the server closes, or Timeout passes; Bytes gets them all.
    ReadStatus Read(std::size_t count, std::string& bytes,
                    std::chrono::milliseconds timeout = kWait);
    // Reads one whole packet as the length field announces it (raw bytes, not checked).
    ReadStatus ReadPacket(std::string& raw, std::chrono::milliseconds timeout = kWait);
    // True when the server closes the connection within Timeout (bytes before that are skipped).
    bool WaitServerClose(std::chrono::milliseconds timeout = kWait);

    // Sends a request and returns the decoded answer; records a test failure when none comes.
    Packet Exchange(std::uint8_t code, std::string_view body = {});
    // Logs in as User; returns the login answer body.
    std::string Login(std::string_view user, std::string_view password);

    void Close();

  private:
    int fd_ = -1;
};

}  // namespace nuvsim::test
