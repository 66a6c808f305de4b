// The base of every gateway command: request and answer bodies, status, and the body helpers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "actions/ByteStream.h"
#include "session/Client.h"
#include "support/DateTime.h"

namespace nuv {

// One command for one exchange. Create commands with CreateAction, which runs the most derived
// SetDefaults once the object is complete.
class TZpAction {
  public:
    explicit TZpAction(TZpClient& client) : Client(client) {}
    virtual ~TZpAction() = default;
    TZpAction(const TZpAction&) = delete;
    TZpAction& operator=(const TZpAction&) = delete;

    // Slot 1: the command code, Name, Description and the defaults of the subclass's own fields.
    virtual void SetDefaults();
    // Slot 2: frees what the subclass owns beyond its members.
    virtual void ReleaseExtra() {}
    // Slot 3: writes the request body into Request.
    virtual void EncodeRequest() {}
    // Slot 4: reads Answer (from position 0) into StatusCode, StatusText and the results.
    virtual void DecodeAnswer() {}

    // Writers append little-endian values and raw bytes to Request.
    void WriteByte(uint8_t value);
    void WriteInt16(int16_t value);
    void WriteInt32(int32_t value);
    void WriteInt64(int64_t value);
    void WriteString(std::string_view bytes);

    // Readers take from Answer. Past its end they never read outside it: a number reads as 0 (or
    // from the bytes that are left, zero-filled), a text is cut short.
    uint8_t ReadByte();
    int32_t ReadInt32();
    std::string ReadString(size_t count);
    std::string ReadRest();
    void Skip(size_t count);

    // Exactly `width` bytes: S cut byte-wise, or S followed by padByte; empty for width <= 0.
    static std::string PadText(std::string_view s, char padByte, int width);

    std::string Name;
    std::string Description;
    TZpClient& Client;
    int32_t CommandCode = -1;
    TDateTime SentAt = 0;
    bool Running = false;
    TZpByteStream Request;
    TZpByteStream Answer;
    int32_t StatusCode = 0;
    std::string StatusText;  // "等待执行" once created
};

struct ActionDeleter {
    void operator()(TZpAction* action) const {
        action->ReleaseExtra();
        delete action;
    }
};

template <class T>
using ActionPtr = std::unique_ptr<T, ActionDeleter>;

void InitialiseAction(TZpAction& action);

template <class T, class... Args>
ActionPtr<T> CreateAction(TZpClient& client, Args&&... args) {
    ActionPtr<T> action(new T(client, std::forward<Args>(args)...));
    InitialiseAction(*action);
    return action;
}

}  // namespace nuv
