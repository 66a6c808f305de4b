// The runner that executes one command on the connection, and the login, logout and keep-alive
// operations built on it.
#include "actions/KeepAliveAction.h"
#include "actions/LoginAction.h"
#include "actions/LogoutAction.h"
#include "net/Net.h"
#include "support/StatuCode.h"

namespace nuv {

void TZpNetPort::RunAction(TZpAction& action) {
    GetLog().Add(action.Name);
    if (!GetConnected()) {
        action.StatusCode = kStatusNotConnected;
        return;
    }
    action.Running = true;
    SendRequest(action);
    if (action.StatusCode == 0) ReceiveAnswer(action);
    GetClient().LastActivity = Now();
    GetClient().LastStatusText = action.StatusText;
    action.Running = false;
}

void TZpNetPort::TakeActionStatus(TZpAction& action) {
    SetLastErrorCode(action.StatusCode);
    SetLastErrorText(action.StatusText);
}

int32_t TZpNetPort::RunCommand(TZpAction& action) {
    RunAction(action);
    TakeActionStatus(action);
    return action.StatusCode;
}

int32_t TZpNetPort::Login(const std::string& userName, const std::string& password) {
    if (!OpenConnection()) return kStatusNotConnected;
    auto login = CreateAction<TZpLoginAction>(GetClient());
    GetClient().UserName = userName;
    GetClient().Password = password;
    // The connection just opened is announced and used; opening a second one would leave the
    // first without use.
    MarkConnected();
    if (GetConnected()) {
        SetLoggingIn(true);
        RunAction(*login);
        SetLoggingIn(false);
        TakeActionStatus(*login);
    }
    const int32_t result = GetLastErrorCode();
    std::string profile;
    SwapUserInfo(profile);  // loads the profile the sends need, whatever the login's outcome
    return result;
}

int32_t TZpNetPort::Logout() {
    auto logout = CreateAction<TZpLogoutAction>(GetClient());
    RunAction(*logout);
    Disconnect();
    const int32_t result = logout->StatusCode;
    TakeActionStatus(*logout);
    return result;
}

int32_t TZpNetPort::KeepAlive() {
    if (!GetConnected()) return kStatusNotConnected;
    auto keepAlive = CreateAction<TZpKeepAliveAction>(GetClient());
    const int32_t result = RunCommand(*keepAlive);
    if (!GetConnected()) MarkDisconnected();
    return result;
}

}  // namespace nuv
