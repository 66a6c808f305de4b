// The charge calculation command.
#include "actions/CalcChargeAction.h"

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpCalcChargeAction::SetDefaults() {
    CommandCode = 1;
    Name = NUV_GBK("计算费用");
    Description.clear();
}

void TZpCalcChargeAction::EncodeRequest() {
    WriteInt32(Client.EnterpriseId);
    WriteInt32(ChargeCount);
}

void TZpCalcChargeAction::DecodeAnswer() {
    constexpr size_t kAnswerRest = 5;  // the unused number and the verdict byte
    // An answer cut short carries no verdict: it is a failure, not "not enough".
    if (ReadByte() != 0 || Answer.Remaining() < kAnswerRest) {
        StatusCode = kStatusUnspecified;
        StatusText = ::nuv::StatusText(kStatusUnspecified);
        Description = ReadRest();
        return;
    }
    ReadInt32();
    if (ReadByte() == 1) {
        StatusCode = kStatusOk;
        StatusText = NUV_GBK("计算费用成功");
    } else {
        StatusCode = kStatusNoBalance;
        StatusText = ::nuv::StatusText(kStatusNoBalance);
    }
}

}  // namespace nuv
