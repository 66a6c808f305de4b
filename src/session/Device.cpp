// Base behaviours of the session object.
#include "session/Device.h"

#include "platform/Platform.h"

namespace nuv {

TZpDevice::TZpDevice()
    : ModulePath(platform::ModuleFolder()),
      Client(std::make_unique<TZpClient>()),
      AuxList(std::make_unique<TZpStrings>()),
      Log(std::make_unique<TZpLog>()) {
    Timeout = kDefaultTimeoutMs;
}

TZpDevice::~TZpDevice() {
    DisconnectIfConnected();
}

void TZpDevice::DisconnectIfConnected() {
    if (!GetConnected()) return;
    try {
        Disconnect();
    } catch (...) {
        // A destructor cannot report; the session is going away either way.
    }
}

void TZpDevice::SetClient(std::unique_ptr<TZpClient> client) {
    if (!client) return;
    DisplacedClients.push_back(std::move(Client));
    Client = std::move(client);
}

void TZpDevice::Connect() {
    Client->Closed = false;
    SetConnected(false);
}

void TZpDevice::Disconnect() {
    Client->Closed = true;
    if (Log->Count() > 0) Log->SaveToFile(ModulePath + "device.log");
}

void TZpDevice::Reconnect() {
    Logout();
    platform::SleepMs(100);
    std::string user = Client->UserName, password = Client->Password;
    Login(user, password);
}

int32_t TZpDevice::KeepAlive() {
    return GetConnected() ? 0 : GetLastErrorCode();
}

int32_t TZpDevice::Login(const std::string&, const std::string&) {
    return GetLastErrorCode();
}

int32_t TZpDevice::Logout() {
    Disconnect();
    return 0;
}

}  // namespace nuv
