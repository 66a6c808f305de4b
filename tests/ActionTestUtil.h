// Decoding an answer body with a command, for the command tests.
#pragma once

#include <string_view>

#include "actions/Action.h"

namespace nuv::test {

// Puts Body into the command's answer and runs its decoder, as the transport does.
inline void DecodeBody(TZpAction& action, std::string_view body) {
    action.Answer.Write(body);
    action.Answer.Seek(0);
    action.DecodeAnswer();
}

// A new command of kind T that has decoded Body.
template <class T>
ActionPtr<T> Decoded(TZpClient& client, std::string_view body) {
    auto action = CreateAction<T>(client);
    DecodeBody(*action, body);
    return action;
}

}  // namespace nuv::test
