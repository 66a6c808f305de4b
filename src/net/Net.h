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

    // Size of one read of ReceiveMessage.
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
    // Reads one proxy or tunnel message into data: each recv asks for at most wanted(data) bytes
    // and the read ends when that is 0, when the peer closes, or when Timeout has passed since the
    // read began and some bytes are in. False, with the port pair and a "RecvBuf: " log line, on
    // a socket error or when no byte came within Timeout.
    using TWanted = std::function<size_t(std::string_view data)>;
    bool ReceiveMessage(std::string& data, const TWanted& wanted);
    void MarkConnected();
    void MarkDisconnected();
    // Closes the connection without a log line or event, for a session torn down at unload.
    void CloseQuietly();

    // ---- Proxy handshakes over a freshly connected Socket (HttpProxy.cpp, Socks.cpp) ----
    bool HttpConnectHandshake();
    bool Socks4Handshake();
    bool Socks5Handshake();

    // ---- HTTP tunnel (Tunnel.cpp) ----
    // Opens a fresh connection through the proxy and puts the HTTP request head in front of the
    // packet, so that both leave in one send; a failure lands in the command's status.
    bool SendTunnelPrelude(TZpAction& action, std::string& packet);
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
    // RunAction, then TakeActionStatus; the command's status is the result.
    int32_t RunCommand(TZpAction& action);
    int32_t KeepAlive() override;
    int32_t Login(const std::string& userName, const std::string& password) override;
    int32_t Logout() override;
    int32_t SwapUserInfo(std::string& info) override;

    // ---- Send operations (SendOperations.cpp) ----
    int32_t SingleSend(const std::string& mobile, const std::string& content) override;
    int32_t SingleSendAtTime(const std::string& mobile, const std::string& content,
                             TDateTime atTime) override;
    int32_t MassSend(const std::string& mobiles, const std::string& content,
                     TZpStrings* successList, TZpStrings* failList,
                     const TZpFinished& onFinished) override;
    int32_t MassSendEx(const std::string& extraNumber, const std::string& mobiles,
                       const std::string& content, TZpStrings* successList, TZpStrings* failList,
                       const TZpFinished& onFinished) override;
    int32_t MassSendAtTime(const std::string& mobiles, const std::string& content, TDateTime atTime,
                           TZpStrings* successList, TZpStrings* failList,
                           const TZpFinished& onFinished) override;
    int32_t MassSendAtTimeEx(const std::string& extraNumber, const std::string& mobiles,
                             TDateTime atTime, const std::string& content, TZpStrings* successList,
                             TZpStrings* failList, const TZpFinished& onFinished) override;
    int32_t MultiSend(int32_t messageType, const std::string& timeText,
                      const std::string& extraNumber, const std::string& mobiles,
                      const std::string& content, TZpStrings* successList, TZpStrings* failList,
                      const TZpFinished& onFinished) override;
    // The common body of the mass sends: the recipients sorted by carrier class, one command per
    // class in class order (several when a class does not fit one packet), the accepted and
    // refused numbers gathered into the lists, the first failure as the result.
    int32_t SendBatches(int32_t messageType, const std::string& mobiles, const std::string& content,
                        TZpStrings* successList, TZpStrings* failList,
                        const std::string& extraNumber, TDateTime atTime, bool doubleWidth);
    int32_t Receive(const std::string& serviceArgs, std::string& text) override;
    int32_t QueryServerState(int32_t* busyLevel) override;
    int32_t ModifyPwd(const std::string& newPassword) override;
    int32_t QueryAccu(int32_t* balance) override;
    int32_t CalcCharge(int32_t chargeCount) override;
    int32_t CheckContent(const std::string& content) override;

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

// Reads a send time written under the regional settings (see platform::ReadLocalDateTime); false
// when the text is empty or unreadable.
bool TextToDateTime(std::string_view text, TDateTime& value);

}  // namespace nuv
