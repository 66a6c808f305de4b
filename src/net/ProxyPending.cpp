// Proxy routes that this build does not offer yet: the connection is refused with a status.
#include "net/Net.h"
#include "support/StatuCode.h"

namespace nuv {
namespace {
bool Refuse(TZpNetPort& port, int32_t code) {
    port.SetLastErrorCode(code);
    port.SetLastErrorText(StatusText(code));
    return false;
}
}  // namespace

bool TZpNetPort::HttpConnectHandshake() {
    return Refuse(*this, kStatusHttpProxy);
}
bool TZpNetPort::Socks4Handshake() {
    return Refuse(*this, kStatusSocks5Connect);
}
bool TZpNetPort::Socks5Handshake() {
    return Refuse(*this, kStatusSocks5Proxy);
}
bool TZpNetPort::SendTunnelPrelude(TZpAction& action, size_t) {
    action.StatusCode = kStatusHttpProxy;
    action.StatusText = StatusText(kStatusHttpProxy);
    return false;
}
bool TZpNetPort::ReceiveTunnelAnswer(TZpAction& action, std::string&) {
    action.StatusCode = kStatusHttpProxy;
    action.StatusText = StatusText(kStatusHttpProxy);
    return false;
}

}  // namespace nuv
