// The logout command.
#include "actions/LogoutAction.h"

#include "support/Text.h"

namespace nuv {

void TZpLogoutAction::SetDefaults() {
    CommandCode = 7;
    Name = NUV_GBK("断开连接");
    Description.clear();
}

void TZpLogoutAction::DecodeAnswer() {
    StatusCode = 0;
    StatusText = NUV_GBK("退出登录成功");
}

}  // namespace nuv
