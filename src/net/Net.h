// The network session: the device class the library creates for every handle.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "actions/Action.h"
#include "platform/Platform.h"
#include "session/Device.h"

namespace nuv {

class TZpNetPort : public TZpDevice {
  public:
    using TNotifyEvent = std::function<void(TZpNetPort* sender)>;

    // Size of one read of ReceiveAvailable.
    static constexpr size_t ReceiveBufferSize = 1024;

    TZpNetPort() = default;
    ~TZpNetPort() override;

    // ---- Connection (Connection.cpp) ----
    void Connect() override;
    void Disconnect() override;
    void Reconnect() override;
    // Opens the connection by ProxyType; stores the result in Connected and returns it.
    bool OpenConnection();
    // Replaces Socket with a new one connected to Host:Port (dotted IPv4 text only).
    bool ConnectSocket(const std::string& host, uint16_t port);
    // Sends every byte of data; a failure drops the connection.
    bool SendText(std::string_view data);
    // Receives what the peer has sent: waits (bounded by Timeout) for the first bytes, then reads
    // chunk by chunk while chunks come in full.
    bool ReceiveAvailable(std::string& data);
    void MarkConnected();
    void MarkDisconnected();

    // ---- Proxy handshakes over a freshly connected Socket (HttpProxy.cpp, Socks.cpp) ----
    bool HttpConnectHandshake();
    bool Socks4Handshake();
    bool Socks5Handshake();

    // ---- HTTP tunnel (Tunnel.cpp) ----
    // Opens a fresh connection through the proxy and sends the HTTP request header for a packet
    // of packetSize bytes; a failure lands in the command's status.
    bool SendTunnelPrelude(TZpAction& action, size_t packetSize);
    // Reads one HTTP response and hands back its body; a failure lands in the command's status.
    bool ReceiveTunnelAnswer(TZpAction& action, std::string& body);

    // ---- Exchange (Exchange.cpp, Codec.cpp) ----
    // Packs the command's request and sends it; failures land in the command's status.
    void SendRequest(TZpAction& action);
    // Receives the answer packet and lets the command decode it; failures land in its status.
    void ReceiveAnswer(TZpAction& action);
    // Runs the command's EncodeRequest and frames the body into a packet stamped with the local
    // time. A body too large for the 16-bit length field is refused: the command's status is set
    // and false returned.
    bool PackRequest(TZpAction& action, std::string& packet);
    // Checks a received block (header first), unscrambles its body into the command's Answer and
    // lets the command decode it; a bad checksum or length sets the command's status instead.
    void UnpackAnswer(TZpAction& action, std::string_view block);

    // ---- Runner and session operations (Runner.cpp, ServiceOperations.cpp) ----
    void RunAction(TZpAction& action);
    void TakeActionStatus(TZpAction& action);
    int32_t KeepAlive() override;
    int32_t Login(const std::string& userName, const std::string& password) override;
    int32_t Logout() override;
    int32_t SwapUserInfo(std::string& info) override;

    void SetLastSentData(std::string data) { LastSentData = std::move(data); }
    void SetLastReceivedData(std::string data) { LastReceivedData = std::move(data); }

    platform::SocketHandle Socket = platform::kNoSocket;
    TNotifyEvent OnDisconnect;
    TNotifyEvent OnConnect;
    std::string LastSentData;
    std::string LastReceivedData;

  private:
    // The port's last error from the socket layer's last failure.
    void TakeSocketError();
    // Closes Socket if one is open.
    void CloseSocket();
    // The bound for connecting and sending, where Timeout governs answer waits.
    int TransferBoundMs() const;
    // Waits until Socket is readable, the wait counted from lastProgress like the answer
    // time-out. False when Timeout passed without a byte.
    enum class Wait { Ready, TimedOut, Failed };
    Wait WaitForBytes(uint32_t lastProgress);
    // Sends a whole buffer, each wait bounded; false with the socket error recorded.
    bool SendAll(std::string_view data);
};

}  // namespace nuv
