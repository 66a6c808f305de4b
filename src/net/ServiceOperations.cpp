// The account and service operations of the network session.
#include "actions/CalcChargeAction.h"
#include "actions/CheckContentAction.h"
#include "actions/ModifyPwdAction.h"
#include "actions/QueryAccuAction.h"
#include "actions/QueryServerStateAction.h"
#include "actions/RecvMessageAction.h"
#include "actions/SwapUserInfoAction.h"
#include "net/Net.h"
#include "support/Text.h"

namespace nuv {
namespace {

// A number handed back through an optional place: the value on success, -1 otherwise.
void HandBack(int32_t* place, int32_t status, int32_t value) {
    if (place) *place = status == 0 ? value : -1;
}

}  // namespace

int32_t TZpNetPort::SwapUserInfo(std::string& info) {
    info.clear();
    auto action = CreateAction<TZpSwapUserInfoAction>(GetClient());
    const int32_t result = RunCommand(*action);
    if (result == 0) info = action->Profile + NUV_GBK("企业简称=") + GetClient().ShortName;
    return result;
}

int32_t TZpNetPort::Receive(const std::string& serviceArgs, std::string& text) {
    text.clear();
    auto action = CreateAction<TZpRecvMessageAction>(GetClient());
    action->ServiceArgs = serviceArgs;
    const int32_t result = RunCommand(*action);
    if (result == 0) text = action->Reply;
    return result;
}

int32_t TZpNetPort::QueryServerState(int32_t* busyLevel) {
    auto action = CreateAction<TZpQueryServerStateAction>(GetClient());
    action->ServiceArgs.clear();
    const int32_t result = RunCommand(*action);
    HandBack(busyLevel, result, action->BusyLevel);
    return result;
}

int32_t TZpNetPort::ModifyPwd(const std::string& newPassword) {
    auto action = CreateAction<TZpModifyPwdAction>(GetClient());
    action->NewPassword = newPassword;
    return RunCommand(*action);
}

int32_t TZpNetPort::QueryAccu(int32_t* balance) {
    auto action = CreateAction<TZpQueryAccuAction>(GetClient());
    const int32_t result = RunCommand(*action);
    HandBack(balance, result, GetClient().Balance);
    return result;
}

int32_t TZpNetPort::CalcCharge(int32_t chargeCount) {
    auto action = CreateAction<TZpCalcChargeAction>(GetClient());
    action->ChargeCount = chargeCount;
    return RunCommand(*action);
}

int32_t TZpNetPort::CheckContent(const std::string& content) {
    auto action = CreateAction<TZpCheckContentAction>(GetClient());
    action->Content = content;
    const int32_t result = RunCommand(*action);
    // The caller wants the server's reason for the verdict, not the fixed status text.
    SetLastErrorText(action->Description);
    return result;
}

}  // namespace nuv
