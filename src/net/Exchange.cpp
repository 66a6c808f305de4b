// Sending one request packet and receiving one answer packet with the idle time-out.
#include <algorithm>

#include "net/Net.h"
#include "net/Packet.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {
namespace {

void SetStatus(TZpAction& action, int32_t code) {
    action.StatusCode = code;
    action.StatusText = StatusMessage(code);
}

}  // namespace

void TZpNetPort::SendRequest(TZpAction& action) {
    if (!GetConnected()) return;
    std::string packet;
    if (!PackRequest(action, packet)) return;
    if (GetClient().ProxyType == ProxyHttpTunnel && !SendTunnelPrelude(action, packet)) return;
    if (SendAll(packet)) return;
    SetStatus(action, platform::LastSocketError());
    GetLog().Add("Write: " + action.StatusText);
    MarkDisconnected();
}

void TZpNetPort::ReceiveAnswer(TZpAction& action) {
    if (action.StatusCode != 0 || !GetConnected()) return;
    if (GetClient().ProxyType == ProxyHttpTunnel) {
        std::string body;
        if (ReceiveTunnelAnswer(action, body) && !body.empty()) UnpackAnswer(action, body);
        return;
    }

    // The header first, into a fixed area.
    char header[packet::kHeaderSize];
    size_t received = 0;
    uint32_t lastProgress = platform::TickCount();
    while (received < packet::kHeaderSize) {
        Wait w = WaitForBytes(lastProgress);
        if (w == Wait::TimedOut) {
            Disconnect();
            SetStatus(action, kStatusTimeout);
            GetLog().Add(NUV_GBK("接收消息头超时"));
            MarkDisconnected();
            return;
        }
        long n = w == Wait::Ready ? platform::ReceiveSome(Socket, header + received,
                                                          packet::kHeaderSize - received)
                                  : -1;
        if (n <= 0) {
            // A peer that closes without an error number is reported as a reset connection.
            SetStatus(action, n == 0 ? kStatusNotConnected : platform::LastSocketError());
            GetLog().Add(NUV_GBK("接收消息头失败: ") + action.StatusText);
            MarkDisconnected();
            return;
        }
        received += static_cast<size_t>(n);
        lastProgress = platform::TickCount();
    }

    // Then exactly the announced length; a length that cannot hold a packet is refused by the
    // codec without reading further.
    const size_t length = packet::DeclaredLength(std::string_view(header, sizeof header));
    std::string block(std::max(length, packet::kHeaderSize), '\0');
    std::copy(header, header + packet::kHeaderSize, block.begin());
    lastProgress = platform::TickCount();
    while (received < length) {
        // The body has usually come with its header: read before waiting.
        Wait w = Wait::Ready;
        long n = platform::ReceiveNow(Socket, block.data() + received, length - received);
        if (n == platform::kWouldBlock) {
            w = WaitForBytes(lastProgress);
            n = w == Wait::Ready
                    ? platform::ReceiveSome(Socket, block.data() + received, length - received)
                    : -1;
        }
        if (w == Wait::Failed || n < 0) {
            SetStatus(action, platform::LastSocketError());
            GetLog().Add(NUV_GBK("接收消息体失败: ") + action.StatusText);
            return;
        }
        if (w == Wait::TimedOut || n == 0) {
            // Silence for longer than the time-out, or a peer that has closed: no more bytes
            // can come, so the time-out's outcome is reported at once.
            Disconnect();
            SetStatus(action, kStatusTimeout);
            GetLog().Add(NUV_GBK("接收超时"));
            MarkDisconnected();
            return;
        }
        received += static_cast<size_t>(n);
        lastProgress = platform::TickCount();
    }
    UnpackAnswer(action, block);
}

}  // namespace nuv
