// Exports that open, configure and close handles and report the last status.
#include <cstring>

#include "exports/Exports.h"
#include "nuv/nuv.h"
#include "platform/Platform.h"

using namespace nuv;
using nuv::exports::Arg;
using nuv::exports::WithSession;

namespace {

// The socket layer is started once when the library is loaded and stopped when it is unloaded.
struct SocketLayer {
    SocketLayer() { platform::StartSocketLayer(); }
    ~SocketLayer() { platform::StopSocketLayer(); }
} g_socketLayer;

void StoreProxy(TZpClient& client, int32_t type, const char* host, int32_t port, const char* user,
                const char* password) {
    client.ProxyType = type;
    client.ProxyHost = Arg(host);
    client.ProxyPort = port;
    client.ProxyUser = Arg(user);
    client.ProxyPassword = Arg(password);
}

template <class Configure>
int32_t OpenSession(Configure&& configure) noexcept {
    try {
        auto slot = std::make_shared<TZpSessionSlot>();
        slot->Port = std::make_unique<TZpNetPort>();
        configure(slot->Port->GetClient());
        THandleTable* table = THandleTable::Instance();
        return table ? table->Add(std::move(slot)) : -1;
    } catch (...) {
        return -1;
    }
}

}  // namespace

extern "C" {

NUV_API int32_t NUV_CALL ZpOpen(const char* ServerAddress, int32_t ServerPort) {
    return OpenSession([&](TZpClient& client) {
        SetServerAddress(client, Arg(ServerAddress).substr(0, 15));
        client.ServerPort = ServerPort;
    });
}

NUV_API int32_t NUV_CALL ZpProxyOpen(const char* ServerAddress, int32_t ServerPort,
                                     int32_t ProxyType, const char* ProxyHost, int32_t ProxyPort,
                                     const char* ProxyUser, const char* ProxyPassword) {
    return OpenSession([&](TZpClient& client) {
        SetServerAddress(client, Arg(ServerAddress));
        client.ServerPort = ServerPort;
        StoreProxy(client, ProxyType, ProxyHost, ProxyPort, ProxyUser, ProxyPassword);
    });
}

NUV_API int32_t NUV_CALL ZpSetProxy(int32_t Handle, int32_t ProxyType, const char* ProxyHost,
                                    int32_t ProxyPort, const char* ProxyUser,
                                    const char* ProxyPassword) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        StoreProxy(port.GetClient(), ProxyType, ProxyHost, ProxyPort, ProxyUser, ProxyPassword);
        return 1;
    });
}

NUV_API int32_t NUV_CALL ZpClose(int32_t Handle) {
    try {
        THandleTable* table = THandleTable::Instance();
        auto slot = table ? table->Remove(Handle) : nullptr;
        if (!slot) return -1;
        // Waits for a call still running on another thread, then frees the session.
        std::lock_guard<std::mutex> guard(slot->CallLock);
        slot->Port.reset();
        return 0;
    } catch (...) {
        return -1;
    }
}

NUV_API int32_t NUV_CALL ZpSetTimeout(int32_t Handle, int32_t Timeout) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        port.Timeout = Timeout;
        return 0;
    });
}

NUV_API int32_t NUV_CALL ZpGetLastErrorCode(int32_t Handle) {
    return WithSession(Handle, [](TZpNetPort& port) { return port.GetLastErrorCode(); });
}

NUV_API int32_t NUV_CALL ZpGetLastErrorText(int32_t Handle, char* Buffer, int32_t BufferSize) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        std::string text = port.GetLastErrorText();
        const auto length = static_cast<int32_t>(text.size());
        if (length > 0 && length <= BufferSize && Buffer != nullptr)
            std::memcpy(Buffer, text.data(), text.size());
        return length;
    });
}

}  // extern "C"
