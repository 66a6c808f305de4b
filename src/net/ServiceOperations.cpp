// The account and service operations of the network session.
#include "actions/SwapUserInfoAction.h"
#include "net/Net.h"
#include "support/Text.h"

namespace nuv {

int32_t TZpNetPort::SwapUserInfo(std::string& info) {
    info.clear();
    auto action = CreateAction<TZpSwapUserInfoAction>(GetClient());
    RunAction(*action);
    const int32_t result = action->StatusCode;
    if (result == 0) info = action->Profile + NUV_GBK("企业简称=") + GetClient().ShortName;
    TakeActionStatus(*action);
    return result;
}

}  // namespace nuv
