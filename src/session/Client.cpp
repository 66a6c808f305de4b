// The client record's address rule.
#include "session/Client.h"

#include "net/Resolve.h"
#include "support/Text.h"

namespace nuv {

void SetServerAddress(TZpClient& client, const std::string& address) {
    size_t dot = address.find('.');
    std::string_view prefix =
        dot == std::string::npos ? std::string_view() : std::string_view(address).substr(0, dot);
    int32_t number;
    if (TryStrToInt(prefix, number)) {
        client.ServerHost = address;
        return;
    }
    std::string resolved;
    if (ResolveHostAddress(address, resolved)) client.ServerHost = resolved;
}

}  // namespace nuv
