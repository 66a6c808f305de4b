// Reads the account profile into the client record.
#include "actions/SwapUserInfoAction.h"

#include "support/Text.h"

namespace nuv {
namespace {

std::string Trimmed(const std::string& value) {
    return std::string(TrimControl(value));
}

bool IsYes(const std::string& value) {
    return TrimControl(value) == NUV_GBK("是");
}

int32_t IntOr(std::string_view value, int32_t fallback) {
    int32_t number;
    return TryStrToInt(value, number) ? number : fallback;
}

}  // namespace

void TZpSwapUserInfoAction::SetDefaults() {
    TZpExtendServiceAction::SetDefaults();
    Name = NUV_GBK("读取档案");
    ServiceName = "SwapUserInfo";
}

void TZpSwapUserInfoAction::DecodeAnswer() {
    TZpExtendServiceAction::DecodeAnswer();
    if (StatusCode != 0) return;
    Profile = Reply;
    ApplyProfile(Client, Reply);
}

void ApplyProfile(TZpClient& c, std::string_view profile) {
    auto value = [&](const std::string& key) { return LookupValue(profile, key); };
    // In the order the keys are read; lengths and shared-name switches take the value untrimmed.
    c.Balance = IntOr(TrimControl(value(NUV_GBK("剩余点数"))), 0);
    c.ForwardNumber = Trimmed(value(NUV_GBK("转发号码")));
    c.AutoForward = Trimmed(value(NUV_GBK("自动转发")));
    c.AutoReceive = Trimmed(value(NUV_GBK("自动收信")));
    c.AutoReply = Trimmed(value(NUV_GBK("自动回复")));
    c.AgentNumber = Trimmed(value(NUV_GBK("代理号码")));
    c.UplinkEnabled = IsYes(value(NUV_GBK("开通上行")));
    c.UseShortName = IsYes(value(NUV_GBK("使用简称")));
    c.EnterpriseIcon = value(NUV_GBK("企业图标"));
    c.MmsEnabled = IsYes(value(NUV_GBK("开通彩信")));
    c.EnterpriseSignature = value(NUV_GBK("企业签名"));
    c.ManagementPage = Trimmed(value(NUV_GBK("管理页面")));
    c.MobileLength = IntOr(value(NUV_GBK("移动长度")), 60);
    c.UnicomLength = IntOr(value(NUV_GBK("联通长度")), 70);
    c.PhsLength = IntOr(value(NUV_GBK("小灵通长度")), 45);
    c.SharedShortName = value(NUV_GBK("共享简称")) != NUV_GBK("否");
    c.UnicomSharedShortName = value(NUV_GBK("联通共享简称")) != NUV_GBK("否");
    c.PhsSharedShortName = value(NUV_GBK("小灵通共享简称")) != NUV_GBK("否");
}

}  // namespace nuv
