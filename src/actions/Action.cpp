// The base of every gateway command.
#include "actions/Action.h"

#include <cstring>

#include "support/Text.h"

namespace nuv {

void InitialiseAction(TZpAction& action) {
    action.StatusCode = 0;
    action.StatusText = NUV_GBK("等待执行");
    action.SetDefaults();
}

void TZpAction::SetDefaults() {
    CommandCode = -1;
    Name = NUV_GBK("未命名操作");
    Description = NUV_GBK("行为初始化");
}

void TZpAction::WriteByte(uint8_t value) {
    Request.Write(std::string_view(reinterpret_cast<char*>(&value), 1));
}

void TZpAction::WriteInt16(int16_t value) {
    uint16_t v = static_cast<uint16_t>(value);
    char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    Request.Write(std::string_view(bytes, 2));
}

void TZpAction::WriteInt32(int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    Request.Write(std::string_view(bytes, 4));
}

void TZpAction::WriteInt64(int64_t value) {
    uint64_t v = static_cast<uint64_t>(value);
    char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    Request.Write(std::string_view(bytes, 8));
}

void TZpAction::WriteString(std::string_view bytes) {
    Request.Write(bytes);
}

uint8_t TZpAction::ReadByte() {
    std::string_view b = Answer.Read(1);
    return b.empty() ? 0 : static_cast<uint8_t>(b[0]);
}

int32_t TZpAction::ReadInt32() {
    std::string_view b = Answer.Read(4);
    uint32_t v = 0;
    for (size_t i = 0; i < b.size(); ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(b[i])) << (8 * i);
    return static_cast<int32_t>(v);
}

std::string TZpAction::ReadString(size_t count) {
    return std::string(Answer.Read(count));
}

std::string TZpAction::ReadRest() {
    return std::string(Answer.Read(Answer.Remaining()));
}

void TZpAction::Skip(size_t count) {
    Answer.Read(count);
}

std::string TZpAction::PadText(std::string_view s, char padByte, int width) {
    if (width <= 0) return std::string();
    size_t w = static_cast<size_t>(width);
    if (s.size() >= w) return std::string(s.substr(0, w));
    std::string padded(s);
    padded.append(w - s.size(), padByte);
    return padded;
}

}  // namespace nuv
