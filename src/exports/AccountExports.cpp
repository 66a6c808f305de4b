// Exports for the account and the gateway's services: balance, server load, content check,
// password, received messages and the account profile.
#include <cstring>
#include <string>

#include "exports/Exports.h"
#include "nuv/nuv.h"
#include "support/Text.h"

using nuv::TZpNetPort;
using nuv::exports::Arg;
using nuv::exports::WithSession;

namespace {

// Copies a text into caller memory without a terminating zero and stores its byte count. The
// pointers are required, but a null one is skipped rather than written through.
void CopyOut(const std::string& text, char* buffer, int32_t* length) {
    if (buffer && !text.empty()) std::memcpy(buffer, text.data(), text.size());
    if (length) *length = static_cast<int32_t>(text.size());
}

}  // namespace

extern "C" {

NUV_API int32_t NUV_CALL ZpQueryAccu(int32_t Handle, int32_t* Balance) {
    return WithSession(Handle, [&](TZpNetPort& port) { return port.QueryAccu(Balance); });
}

NUV_API int32_t NUV_CALL ZpQueryServerState(int32_t Handle, int32_t* BusyLevel) {
    return WithSession(Handle, [&](TZpNetPort& port) { return port.QueryServerState(BusyLevel); });
}

NUV_API int32_t NUV_CALL ZpCheckContent(int32_t Handle, const char* Content) {
    return WithSession(Handle, [&](TZpNetPort& port) { return port.CheckContent(Arg(Content)); });
}

NUV_API int32_t NUV_CALL ZpModifyPwd(int32_t Handle, const char* NewPassword) {
    return WithSession(Handle, [&](TZpNetPort& port) { return port.ModifyPwd(Arg(NewPassword)); });
}

NUV_API int32_t NUV_CALL ZpReceive(int32_t Handle, const char* ServiceArgs, char* TextBuffer,
                                   int32_t* TextLength) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        std::string text;
        const int32_t result = port.Receive(Arg(ServiceArgs), text);
        CopyOut(text, TextBuffer, TextLength);
        return result;
    });
}

NUV_API int32_t NUV_CALL ZpSwapUserInfo(int32_t Handle, char* InfoBuffer, int32_t* InfoLength) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        std::string profile;
        const int32_t result = port.SwapUserInfo(profile);
        // The enterprise lines come first on every call, so even a refused call tells the caller
        // which account the session holds.
        const nuv::TZpClient& client = port.GetClient();
        const std::string info = NUV_GBK("企业ID=") + std::to_string(client.EnterpriseId) + "\r\n" +
                                 NUV_GBK("企业简称=") + client.ShortName + "\r\n" + profile;
        CopyOut(info, InfoBuffer, InfoLength);
        return result;
    });
}

}  // extern "C"
