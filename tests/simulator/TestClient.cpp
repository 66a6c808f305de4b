// Plain-socket client used by the gateway tests.
#include "TestClient.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nuvsim::test {

TestClient::TestClient(std::uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        Close();
    }
}

TestClient::~TestClient() {
    Close();
}

void TestClient::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

bool TestClient::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool TestClient::SendPacket(std::uint8_t code, std::string_view body) {
    return Send(BuildPacket(code, body));
}

ReadStatus TestClient::Read(std::size_t count, std::string& bytes,
                            std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd entry{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            return ReadStatus::TimedOut;
        }
        char buffer[4096];
        const std::size_t want = std::min(count - bytes.size(), sizeof buffer);
        const ssize_t n = recv(fd_, buffer, want, 0);
        if (n <= 0) return ReadStatus::Closed;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return ReadStatus::Ok;
}

ReadStatus TestClient::ReadPacket(std::string& raw, std::chrono::milliseconds timeout) {
    raw.clear();
    const ReadStatus header = Read(kHeaderSize, raw, timeout);
    if (header != ReadStatus::Ok) return header;
    return Read(PacketLength(raw), raw, timeout);
}

bool TestClient::WaitServerClose(std::chrono::milliseconds timeout) {
    std::string ignored;
    // Asks for more than any answer holds, so only a close or the time-out ends the read.
    return Read(1 << 20, ignored, timeout) == ReadStatus::Closed;
}

Packet TestClient::Exchange(std::uint8_t code, std::string_view body) {
    std::string raw;
    if (!SendPacket(code, body) || ReadPacket(raw) != ReadStatus::Ok) {
        ADD_FAILURE() << "no answer to command " << int{code};
        return {};
    }
    const ParseResult parsed = ParsePacket(raw);
    EXPECT_EQ(parsed.Status, ParseStatus::Ok) << "answer to command " << int{code};
    EXPECT_EQ(parsed.Consumed, raw.size());
    return parsed.Decoded;
}

std::string TestClient::Login(std::string_view user, std::string_view password) {
    return Exchange(command::kLogin, LoginRequestBody(user, password)).Body;
}

}  // namespace nuvsim::test
