// Status codes, their fixed texts, and the mapping of answer result bytes to codes.
#include "support/StatuCode.h"

#include "platform/Platform.h"
#include "support/Text.h"

namespace nuv {
namespace {

const std::string& Empty() {
    static const std::string empty;
    return empty;
}

// The library's own codes; the switch has no default so a code without a text is a compile error.
const std::string& OwnText(StatusCode code) {
    switch (code) {
        case kStatusOk:
            return Empty();
        case kStatusServerAddress:
            return NUV_GBK("服务器地址无效");
        case kStatusChecksum:
            return NUV_GBK("数据校验失败");
        case kStatusTimeout:
            return NUV_GBK("网络操作超时");
        case kStatusNoSuchUser:
            return NUV_GBK("无此用户");
        case kStatusWrongPassword:
            return NUV_GBK("密码错误");
        case kStatusNoBalance:
            return NUV_GBK("费用不足");
        case kStatusMessageType:
            return NUV_GBK("短信类型无效");
        case kStatusRecipient:
            return NUV_GBK("接收号码无效");
        case kStatusAccountStopped:
            return NUV_GBK("账户已被停");
        case kStatusMobileBarred:
            return NUV_GBK("移动号码禁止发送");
        case kStatusUnicomBarred:
            return NUV_GBK("联通号码禁止发送");
        case kStatusContent:
            return NUV_GBK("短信内容非法");
        case kStatusBlacklisted:
            return NUV_GBK("接收号码为黑名单");
        case kStatusSendRefused:
            return NUV_GBK("群发短信被拒绝");
        case kStatusPartlyRefused:
            return NUV_GBK("部分号码被拒绝");
        case kStatusHttpProxy:
            return NUV_GBK("无效的HTTP代理");
        case kStatusSocks5Proxy:
            return NUV_GBK("无效的socks5代理");
        case kStatusSocks5Auth:
            return NUV_GBK("socks5鉴权失败");
        case kStatusSocks5Connect:
            return NUV_GBK("socks5连接失败");
        case kStatusUnspecified:
            return NUV_GBK("未指明的错误");
        case kStatusNotConnected:
            return Empty();
    }
    return Empty();
}

}  // namespace

const std::string& StatusText(int32_t code) {
    if (code < 7000 || code > 7777) return Empty();
    return OwnText(static_cast<StatusCode>(code));
}

std::string StatusMessage(int32_t code) {
    if (code >= 7000 && code <= 7777) return StatusText(code);
    if (code == kStatusOk) return std::string();
    return platform::SocketErrorText(code);
}

std::string GetStatusInfo(int32_t commandCode, uint8_t resultByte, int32_t& code) {
    switch (commandCode) {
        case 2:
        case 6:
            switch (resultByte) {
                case 1:
                    code = kStatusOk;
                    return NUV_GBK("发送短信成功");
                case 2:
                    code = kStatusMessageType;
                    break;
                case 5:
                    code = kStatusNoBalance;
                    break;
                case 6:
                    code = kStatusRecipient;
                    break;
                case 7:
                    code = kStatusAccountStopped;
                    break;
                case 8:
                    code = kStatusMobileBarred;
                    break;
                case 9:
                    code = kStatusUnicomBarred;
                    break;
                case 10:
                    code = kStatusContent;
                    break;
                case 11:
                    code = kStatusBlacklisted;
                    break;
                default:
                    code = kStatusUnspecified;
                    break;
            }
            return StatusText(code);
        case 8:
            if (resultByte == 0) {
                code = kStatusOk;
                return NUV_GBK("内容审核成功");
            }
            if (resultByte == 1) {
                code = kStatusContent;
                return StatusText(code);
            }
            return std::string();
        case 1001:
        case 1002:
        case 1003:
            code = kStatusSocks5Connect;
            return StatusText(code);
        default:
            code = kStatusUnspecified;
            return StatusText(code);
    }
}

}  // namespace nuv
