// The text service channel.
#include "actions/ExtendServiceAction.h"

#include <algorithm>

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpExtendServiceAction::SetDefaults() {
    CommandCode = 9;
    Name.clear();
    Description = NUV_GBK("扩展服务");
    ServiceName.clear();
    ServiceArgs.clear();
}

void TZpExtendServiceAction::EncodeRequest() {
    WriteString(ServiceName + "\r\n\r\n" + ServiceArgs);
}

void TZpExtendServiceAction::DecodeAnswer() {
    Reply = ReadRest();
    if (Reply.compare(0, 3, "+OK") == 0) {
        StatusCode = kStatusOk;
        StatusText = Name + NUV_GBK("成功");
        Reply.erase(0, std::min(kDataOffset, Reply.size()));
    } else {
        StatusCode = kStatusUnspecified;
        StatusText =
            Name + NUV_GBK("失败:") +
            (Reply.size() > kFailureMessageOffset ? Reply.substr(kFailureMessageOffset) : "");
    }
}

std::string LookupValue(std::string_view text, std::string_view key) {
    text = text.substr(0, text.find('\0'));
    auto sameName = [&](std::string_view name) {
        if (name.size() != key.size()) return false;
        for (size_t i = 0; i < name.size(); ++i) {
            char a = name[i], b = key[i];
            if (static_cast<unsigned char>(a) >= 0x80) {
                // A GBK character: its second byte may look like an ASCII letter but is no
                // letter, so both bytes must match exactly.
                if (a != b) return false;
                if (++i < name.size() && name[i] != key[i]) return false;
                continue;
            }
            if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
            if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
            if (a != b) return false;
        }
        return true;
    };
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        size_t equals = line.find('=');
        if (equals != std::string_view::npos && sameName(line.substr(0, equals))) {
            return std::string(line.substr(equals + 1));
        }
        if (end == std::string_view::npos) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return std::string();
}

}  // namespace nuv
