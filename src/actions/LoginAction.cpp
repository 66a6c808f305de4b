// The login command.
#include "actions/LoginAction.h"

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpLoginAction::SetDefaults() {
    CommandCode = 0;
    Name = NUV_GBK("系统登录");
    Description = NUV_GBK("客户端登陆");
}

void TZpLoginAction::EncodeRequest() {
    WriteString(PadText(Client.UserName, ' ', kNameWidth));
    WriteString(PadText(Client.Password, ' ', kNameWidth));
    WriteByte(static_cast<uint8_t>(Client.ClientType));
    WriteInt32(Client.ClientCode);
    WriteInt32(Client.VersionMajor);
    WriteInt32(Client.VersionMinor);
}

void SplitAuxAddress(const std::string& text, std::string& host, int32_t& port) {
    constexpr int32_t kDefaultAuxPort = 21;
    host = text;
    port = kDefaultAuxPort;
    size_t colon = text.find(':');
    if (colon == std::string::npos) return;
    if (!TryStrToInt(std::string_view(text).substr(colon + 1), port)) port = kDefaultAuxPort;
    host = text.substr(0, colon);
}

void TZpLoginAction::DecodeAnswer() {
    switch (ReadByte()) {
        case 0:
            StatusCode = kStatusNoSuchUser;
            break;
        case 1:
            StatusCode = kStatusOk;
            break;
        case 2:
            StatusCode = kStatusWrongPassword;
            break;
        default:
            StatusCode = kStatusUnspecified;
            break;
    }
    StatusText = StatusCode == kStatusOk ? NUV_GBK("登录成功") : ::nuv::StatusText(StatusCode);
    Client.EnterpriseId = ReadInt32();
    Client.LoggedIn = StatusCode == kStatusOk;
    if (StatusCode == kStatusOk) {
        Client.ShortName = TrimControl(ReadString(20));
        SplitAuxAddress(std::string(TrimControl(ReadString(30))), Client.AuxServerHost,
                        Client.AuxServerPort);
        Client.AuxText1 = TrimControl(ReadString(30));
        Client.AuxText2 = TrimControl(ReadString(30));
    }
    Description = ReadRest();
}

}  // namespace nuv
