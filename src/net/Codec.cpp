// Packing requests and unpacking answers for the network session.
#include "net/Net.h"
#include "net/Packet.h"
#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

bool TZpNetPort::PackRequest(TZpAction& action, std::string& packet) {
    action.EncodeRequest();
    SetLastSentData(action.Request.Bytes());
    platform::CalendarTime now = platform::LocalNow();
    packet::Stamp stamp{static_cast<uint16_t>(now.Year),  static_cast<uint8_t>(now.Month),
                        static_cast<uint8_t>(now.Day),    static_cast<uint8_t>(now.Hour),
                        static_cast<uint8_t>(now.Minute), static_cast<uint8_t>(now.Second)};
    if (!packet::Pack(action.Request.Bytes(), action.CommandCode, stamp, packet)) {
        // Never send a wrapped length: the server would read a different packet.
        action.StatusCode = kStatusUnspecified;
        action.StatusText = StatusText(kStatusUnspecified);
        GetLog().Add(NUV_GBK("请求数据过长"));
        return false;
    }
    action.SentAt = Now();
    return true;
}

void TZpNetPort::UnpackAnswer(TZpAction& action, std::string_view block) {
    std::string body;
    switch (packet::Open(block, body)) {
        case packet::OpenResult::BadChecksum:
            action.StatusCode = kStatusChecksum;
            action.StatusText = StatusText(kStatusChecksum);
            GetLog().Add(NUV_GBK("校验码无效"));
            return;
        case packet::OpenResult::BadLength:
            // A length that cannot be true makes the whole answer untrustworthy.
            action.StatusCode = kStatusChecksum;
            action.StatusText = StatusText(kStatusChecksum);
            GetLog().Add(NUV_GBK("消息长度无效"));
            return;
        case packet::OpenResult::Ok:
            break;
    }
    action.Answer.Write(body);
    SetLastReceivedData(action.Answer.Bytes());
    action.Answer.Seek(0);
    action.DecodeAnswer();
}

}  // namespace nuv
