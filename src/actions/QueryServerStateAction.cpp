// Reads the server's busy level.
#include "actions/QueryServerStateAction.h"

#include "support/Text.h"

namespace nuv {

void TZpQueryServerStateAction::SetDefaults() {
    TZpExtendServiceAction::SetDefaults();
    Name = NUV_GBK("查询服务器状态");
    ServiceName = "QueryServerState";
    BusyLevel = 0;
}

void TZpQueryServerStateAction::DecodeAnswer() {
    TZpExtendServiceAction::DecodeAnswer();
    BusyLevel = -1;
    std::string value = LookupValue(Reply, NUV_GBK("繁忙等级"));
    int32_t level;
    if (!value.empty() && TryStrToInt(value, level)) BusyLevel = level;
}

}  // namespace nuv
