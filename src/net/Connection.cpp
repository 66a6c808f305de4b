// Opening, closing and moving raw bytes over the session's TCP connection.
#include <algorithm>
#include <climits>

#include "net/Net.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

// The base destructor can no longer reach this class's Disconnect, so the connection is closed
// here; a socket left open by a failed exchange is closed too.
TZpNetPort::~TZpNetPort() {
    DisconnectIfConnected();
    CloseSocket();
}

void TZpNetPort::TakeSocketError() {
    int code = platform::LastSocketError();
    SetLastErrorCode(code);
    SetLastErrorText(StatusMessage(code));
}

void TZpNetPort::CloseSocket() {
    platform::CloseSocket(Socket);
    Socket = platform::kNoSocket;
}

int TZpNetPort::TransferBoundMs() const {
    return Timeout > 0 ? Timeout : kDefaultTimeoutMs;
}

bool TZpNetPort::ConnectSocket(const std::string& host, uint16_t port) {
    CloseSocket();  // a new connection replaces the old one, which must not stay open
    Socket = platform::OpenTcpSocket();
    if (Socket == platform::kNoSocket) {
        TakeSocketError();
        return false;
    }
    uint32_t address = 0;
    if (!platform::ParseIPv4(host, address)) {
        SetLastErrorCode(kStatusServerAddress);
        SetLastErrorText(StatusText(kStatusServerAddress));
        return false;
    }
    if (!platform::ConnectTcp(Socket, address, port, TransferBoundMs())) {
        TakeSocketError();
        return false;
    }
    return true;
}

bool TZpNetPort::OpenConnection() {
    const TZpClient& client = GetClient();
    bool connected = false;
    if (client.ProxyType == ProxyNone) {
        connected = ConnectSocket(client.ServerHost, static_cast<uint16_t>(client.ServerPort));
    } else {
        GetLog().Add(NUV_GBK("正在进行代理连接..."));
        if (ConnectSocket(client.ProxyHost, static_cast<uint16_t>(client.ProxyPort))) {
            switch (client.ProxyType) {
                case ProxyHttp:
                case ProxyHttpTunnel:
                    connected = HttpConnectHandshake();
                    break;
                case ProxySocks4:
                    connected = Socks4Handshake();
                    break;
                case ProxySocks5:
                    connected = Socks5Handshake();
                    break;
                default:
                    connected = true;
                    break;  // a relay that needs no handshake
            }
        }
    }
    SetConnected(connected);
    return connected;
}

void TZpNetPort::Connect() {
    if (OpenConnection()) MarkConnected();
}

void TZpNetPort::Disconnect() {
    GetLog().Add(NUV_GBK("关闭连接"));
    CloseSocket();
    SetConnected(false);
}

void TZpNetPort::CloseQuietly() {
    CloseSocket();
    SetConnected(false);
}

void TZpNetPort::Reconnect() {
    Disconnect();
    Connect();
}

void TZpNetPort::MarkConnected() {
    SetConnected(true);
    if (OnConnect) OnConnect(this);
}

void TZpNetPort::MarkDisconnected() {
    SetConnected(false);
    SetLoggingIn(false);
    if (OnDisconnect) OnDisconnect(this);
}

bool TZpNetPort::SendAll(std::string_view data) {
    size_t offset = 0;
    while (offset < data.size()) {
        long n = platform::SendNow(Socket, data.data() + offset, data.size() - offset);
        if (n == platform::kWouldBlock) {
            // A peer that stops reading must not hold the call forever.
            platform::Readiness r = platform::WaitWritable(Socket, TransferBoundMs());
            if (r == platform::Readiness::TimedOut) platform::SetLastSocketError(10060);
            if (r != platform::Readiness::Ready) return false;
            continue;
        }
        if (n < 0) return false;
        offset += static_cast<size_t>(n);
    }
    return true;
}

bool TZpNetPort::SendText(std::string_view data) {
    if (SendAll(data)) return true;
    TakeSocketError();
    GetLog().Add("SendBuf: " + GetLastErrorText());
    MarkDisconnected();
    return false;
}

TZpNetPort::Wait TZpNetPort::WaitForBytes(uint32_t lastProgress) {
    const uint32_t limit = static_cast<uint32_t>(Timeout);  // compared unsigned, as ticks are
    for (;;) {
        uint32_t elapsed = platform::TickCount() - lastProgress;
        if (elapsed > limit) return Wait::TimedOut;
        uint32_t left = limit - elapsed + 1;
        int slice = static_cast<int>(std::min<uint32_t>(left, INT_MAX / 2));
        switch (platform::WaitReadable(Socket, slice)) {
            case platform::Readiness::Ready:
                return Wait::Ready;
            case platform::Readiness::Failed:
                return Wait::Failed;
            case platform::Readiness::TimedOut:
                break;
        }
    }
}

bool TZpNetPort::ReceiveMessage(std::string& data, const TWanted& wanted) {
    data.clear();
    char buffer[ReceiveBufferSize];
    const uint32_t start = platform::TickCount();  // one bound for the whole message
    for (size_t want = wanted(data); want > 0; want = wanted(data)) {
        const Wait w = WaitForBytes(start);
        if (w == Wait::TimedOut && !data.empty()) return true;  // what came is judged
        if (w == Wait::TimedOut) platform::SetLastSocketError(10060);
        const long n = w == Wait::Ready
                           ? platform::ReceiveSome(Socket, buffer, std::min(want, sizeof buffer))
                           : -1;
        if (n < 0) {
            TakeSocketError();
            GetLog().Add("RecvBuf: " + GetLastErrorText());
            return false;
        }
        if (n == 0) return true;  // the peer has closed: nothing more can come
        data.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

}  // namespace nuv
