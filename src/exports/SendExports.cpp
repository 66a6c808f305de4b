// Exports that send messages and hand the accepted and refused numbers back in caller buffers.
#include <cstring>

#include "exports/Exports.h"
#include "nuv/nuv.h"

using nuv::TDateTime;
using nuv::TZpNetPort;
using nuv::TZpStrings;
using nuv::exports::Arg;
using nuv::exports::WithSession;

namespace {

// Copies a list into a caller buffer, every line followed by CR LF, and stores the byte count.
// A null buffer or an empty list leaves buffer and count untouched.
void CopyList(const TZpStrings& list, char* buffer, int32_t* length) {
    if (buffer == nullptr || list.empty()) return;
    char* out = buffer;
    for (const std::string& line : list) {
        std::memcpy(out, line.data(), line.size());
        out += line.size();
        *out++ = '\r';
        *out++ = '\n';
    }
    if (length != nullptr) *length = static_cast<int32_t>(out - buffer);
}

// Runs a mass send with two fresh lists and copies them out; Send(port, success, fail) calls the
// operation.
template <class Send>
int32_t MassSendExport(int32_t handle, char* successBuffer, char* failBuffer,
                       int32_t* successLength, int32_t* failLength, Send&& send) {
    return WithSession(handle, [&](TZpNetPort& port) {
        TZpStrings success, fail;
        const int32_t result = send(port, success, fail);
        CopyList(success, successBuffer, successLength);
        CopyList(fail, failBuffer, failLength);
        return result;
    });
}

// The send time of a text; an unreadable one ends the export with -1 before anything is sent.
bool ReadTime(const char* timeText, TDateTime& atTime) {
    return nuv::TextToDateTime(Arg(timeText), atTime);
}

}  // namespace

extern "C" {

NUV_API int32_t NUV_CALL ZpSingleSend(int32_t Handle, const char* Mobile, const char* Content) {
    return WithSession(
        Handle, [&](TZpNetPort& port) { return port.SingleSend(Arg(Mobile), Arg(Content)); });
}

NUV_API int32_t NUV_CALL ZpSingleSendAtTime(int32_t Handle, const char* TimeText,
                                            const char* Mobile, const char* Content) {
    return WithSession(Handle, [&](TZpNetPort& port) {
        TDateTime atTime = 0;
        if (!ReadTime(TimeText, atTime)) return -1;
        return port.SingleSendAtTime(Arg(Mobile), Arg(Content), atTime);
    });
}

NUV_API int32_t NUV_CALL ZpMassSend(int32_t Handle, const char* Mobiles, const char* Content,
                                    char* SuccessBuffer, char* FailBuffer, int32_t* SuccessLength,
                                    int32_t* FailLength) {
    return MassSendExport(Handle, SuccessBuffer, FailBuffer, SuccessLength, FailLength,
                          [&](TZpNetPort& port, TZpStrings& success, TZpStrings& fail) {
                              return port.MassSend(Arg(Mobiles), Arg(Content), &success, &fail,
                                                   nullptr);
                          });
}

NUV_API int32_t NUV_CALL ZpMassSendEx(int32_t Handle, const char* ExtraNumber, const char* Mobiles,
                                      const char* Content, char* SuccessBuffer, char* FailBuffer,
                                      int32_t* SuccessLength, int32_t* FailLength) {
    return MassSendExport(Handle, SuccessBuffer, FailBuffer, SuccessLength, FailLength,
                          [&](TZpNetPort& port, TZpStrings& success, TZpStrings& fail) {
                              return port.MassSendEx(Arg(ExtraNumber), Arg(Mobiles), Arg(Content),
                                                     &success, &fail, nullptr);
                          });
}

NUV_API int32_t NUV_CALL ZpMassSendAtTime(int32_t Handle, const char* TimeText, const char* Mobiles,
                                          const char* Content, char* SuccessBuffer,
                                          char* FailBuffer, int32_t* SuccessLength,
                                          int32_t* FailLength) {
    return MassSendExport(Handle, SuccessBuffer, FailBuffer, SuccessLength, FailLength,
                          [&](TZpNetPort& port, TZpStrings& success, TZpStrings& fail) {
                              TDateTime atTime = 0;
                              if (!ReadTime(TimeText, atTime)) return -1;
                              return port.MassSendAtTime(Arg(Mobiles), Arg(Content), atTime,
                                                         &success, &fail, nullptr);
                          });
}

NUV_API int32_t NUV_CALL ZpMassSendAtTimeEx(int32_t Handle, const char* TimeText,
                                            const char* ExtraNumber, const char* Mobiles,
                                            const char* Content, char* SuccessBuffer,
                                            char* FailBuffer, int32_t* SuccessLength,
                                            int32_t* FailLength) {
    return MassSendExport(Handle, SuccessBuffer, FailBuffer, SuccessLength, FailLength,
                          [&](TZpNetPort& port, TZpStrings& success, TZpStrings& fail) {
                              TDateTime atTime = 0;
                              if (!ReadTime(TimeText, atTime)) return -1;
                              return port.MassSendAtTimeEx(Arg(ExtraNumber), Arg(Mobiles), atTime,
                                                           Arg(Content), &success, &fail, nullptr);
                          });
}

NUV_API int32_t NUV_CALL ZpMultiSend(int32_t Handle, int32_t MessageType, const char* TimeText,
                                     const char* ExtraNumber, const char* Mobiles,
                                     const char* Content, char* SuccessBuffer, char* FailBuffer,
                                     int32_t* SuccessLength, int32_t* FailLength) {
    return MassSendExport(Handle, SuccessBuffer, FailBuffer, SuccessLength, FailLength,
                          [&](TZpNetPort& port, TZpStrings& success, TZpStrings& fail) {
                              return port.MultiSend(MessageType, Arg(TimeText), Arg(ExtraNumber),
                                                    Arg(Mobiles), Arg(Content), &success, &fail,
                                                    nullptr);
                          });
}

}  // extern "C"
