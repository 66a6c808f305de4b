// The keep-alive command.
#include "actions/KeepAliveAction.h"

#include "support/Text.h"

namespace nuv {

void TZpKeepAliveAction::SetDefaults() {
    CommandCode = 3;
    Name = NUV_GBK("检测连接");
    Description = NUV_GBK("保持连接");
}

void TZpKeepAliveAction::DecodeAnswer() {
    StatusCode = 0;
    StatusText = NUV_GBK("保持连接成功");
}

}  // namespace nuv
