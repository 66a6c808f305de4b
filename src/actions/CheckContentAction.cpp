// The content check command.
#include "actions/CheckContentAction.h"

#include <algorithm>
#include <limits>

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpCheckContentAction::SetDefaults() {
    CommandCode = 8;
    Name = NUV_GBK("内容审核");
    Description.clear();
}

void TZpCheckContentAction::EncodeRequest() {
    // A text too long for the length field could not be framed anyway (packets carry 16-bit
    // lengths); the clamp keeps the conversion defined.
    const size_t length = std::min<size_t>(Content.size(), std::numeric_limits<int32_t>::max());
    WriteInt32(static_cast<int32_t>(length));
    WriteString(Content);
}

void TZpCheckContentAction::DecodeAnswer() {
    int32_t code = kStatusOk;
    std::string text;
    if (Answer.Remaining() == 0) {
        // No result byte at all is no verdict, not an acceptance.
        code = kStatusUnspecified;
        text = ::nuv::StatusText(kStatusUnspecified);
    } else {
        text = GetStatusInfo(CommandCode, ReadByte(), code);
    }
    Description = ReadRest();
    StatusCode = code;
    StatusText = text;
}

}  // namespace nuv
