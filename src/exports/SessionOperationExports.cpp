// Exports that log in, keep the connection alive and log out.
#include "exports/Exports.h"
#include "nuv/nuv.h"

using nuv::TZpNetPort;
using nuv::exports::Arg;
using nuv::exports::WithSession;

extern "C" {

NUV_API int32_t NUV_CALL ZpLogin(int32_t Handle, const char* UserName, const char* Password) {
    return WithSession(Handle,
                       [&](TZpNetPort& port) { return port.Login(Arg(UserName), Arg(Password)); });
}

NUV_API int32_t NUV_CALL ZpLogout(int32_t Handle) {
    return WithSession(Handle, [](TZpNetPort& port) { return port.Logout(); });
}

NUV_API int32_t NUV_CALL ZpKeepAlive(int32_t Handle) {
    return WithSession(Handle, [](TZpNetPort& port) { return port.KeepAlive(); });
}

}  // extern "C"
