// The balance query command.
#include "actions/QueryAccuAction.h"

#include "support/StatuCode.h"
#include "support/Text.h"

namespace nuv {

void TZpQueryAccuAction::SetDefaults() {
    CommandCode = 5;
    Name = NUV_GBK("查询账户");
    Description.clear();
}

void TZpQueryAccuAction::EncodeRequest() {
    WriteInt32(Client.EnterpriseId);
    WriteByte(static_cast<uint8_t>(Client.ClientType));
}

void TZpQueryAccuAction::DecodeAnswer() {
    const bool twoBalances = Client.ClientType == kTwoBalanceType;
    const size_t needed = twoBalances ? 12 : 8;  // after the result byte
    // A success cut short would read a balance the server never sent.
    if (ReadByte() != 0 || Answer.Remaining() < needed) {
        StatusCode = kStatusUnspecified;
        StatusText = ::nuv::StatusText(kStatusUnspecified);
        Description = ReadRest();
        return;
    }
    StatusCode = kStatusOk;
    StatusText = NUV_GBK("查询账户成功");
    Skip(4);
    Client.Balance = ReadInt32();
    if (twoBalances) Client.Balance = ReadInt32();
}

}  // namespace nuv
