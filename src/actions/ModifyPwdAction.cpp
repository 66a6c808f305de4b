// The password change command.
#include "actions/ModifyPwdAction.h"

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpModifyPwdAction::SetDefaults() {
    CommandCode = 4;
    Name = NUV_GBK("修改密码");
    Description.clear();
    NewPassword.clear();
}

void TZpModifyPwdAction::EncodeRequest() {
    WriteInt32(Client.EnterpriseId);
    WriteString(PadText(std::string(1, Client.ClientType), '\0', kTypeWidth));
    WriteString(PadText(Client.Password, '\0', kPasswordWidth));
    WriteString(PadText(NewPassword, '\0', kPasswordWidth));
}

void TZpModifyPwdAction::DecodeAnswer() {
    // An empty answer carries no verdict; taking it for result 0 would keep a password the
    // server never accepted.
    const bool changed = Answer.Remaining() > 0 && ReadByte() == 0;
    if (changed) {
        StatusCode = kStatusOk;
        StatusText = NUV_GBK("修改密码成功");
        Client.Password = NewPassword;  // the whole text, also beyond the 12 bytes sent
    } else {
        StatusCode = kStatusUnspecified;
        StatusText = ::nuv::StatusText(kStatusUnspecified);
    }
    Description = ReadRest();
}

}  // namespace nuv
