// Feeds arbitrary answer bodies to every command's decoder: none may read outside the answer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "actions/CalcChargeAction.h"
#include "actions/CheckContentAction.h"
#include "actions/LoginAction.h"
#include "actions/ModifyPwdAction.h"
#include "actions/QueryAccuAction.h"
#include "actions/QueryServerStateAction.h"
#include "actions/RecvMessageAction.h"
#include "actions/SwapUserInfoAction.h"

namespace {

template <class T>
void Decode(std::string_view body) {
    nuv::TZpClient client;
    auto action = nuv::CreateAction<T>(client);
    action->Answer.Write(body);
    action->Answer.Seek(0);
    action->DecodeAnswer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view body(reinterpret_cast<const char*>(data), size);
    Decode<nuv::TZpLoginAction>(body);
    Decode<nuv::TZpSwapUserInfoAction>(body);
    Decode<nuv::TZpQueryServerStateAction>(body);
    Decode<nuv::TZpRecvMessageAction>(body);
    Decode<nuv::TZpModifyPwdAction>(body);
    Decode<nuv::TZpQueryAccuAction>(body);
    Decode<nuv::TZpCalcChargeAction>(body);
    Decode<nuv::TZpCheckContentAction>(body);
    // The profile text also after a successful prefix, so the key look-up sees the bytes.
    Decode<nuv::TZpSwapUserInfoAction>(std::string("+OK\r\n\r\n") + std::string(body));
    return 0;
}
