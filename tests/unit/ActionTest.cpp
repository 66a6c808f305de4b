// The command base: creation, body writers and readers, fixed-width texts.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "actions/Action.h"

namespace nuv {
namespace {

using test::Hex;
using test::ToHex;

struct Parent : TZpAction {
    using TZpAction::TZpAction;
    void SetDefaults() override {
        TZpAction::SetDefaults();
        CommandCode = 9;
    }
};
struct Child : Parent {
    using Parent::Parent;
    int Extra = 0;
    void SetDefaults() override {
        Parent::SetDefaults();
        Name = "child";
        Extra = 7;
    }
};

TEST(Action, CreationRunsTheMostDerivedDefaults) {
    TZpClient client;
    auto base = CreateAction<TZpAction>(client);
    EXPECT_EQ(base->CommandCode, -1);
    EXPECT_EQ(base->Name, Hex("CE B4 C3 FC C3 FB B2 D9 D7 F7"));         // 未命名操作
    EXPECT_EQ(base->Description, Hex("D0 D0 CE AA B3 F5 CA BC BB AF"));  // 行为初始化
    EXPECT_EQ(base->StatusCode, 0);
    EXPECT_EQ(base->StatusText, Hex("B5 C8 B4 FD D6 B4 D0 D0"));  // 等待执行
    EXPECT_FALSE(base->Running);
    EXPECT_EQ(&base->Client, &client);

    auto child = CreateAction<Child>(client);
    EXPECT_EQ(child->CommandCode, 9);
    EXPECT_EQ(child->Name, "child");
    EXPECT_EQ(child->Extra, 7);
}

TEST(Action, WritersAreLittleEndian) {
    TZpClient client;
    auto a = CreateAction<TZpAction>(client);
    a->WriteByte(0xAB);
    a->WriteInt16(0x1234);
    a->WriteInt32(-2);
    a->WriteInt32(0x01020304);
    a->WriteInt64(133486382450000000LL);
    a->WriteString(std::string("z\0y", 3));
    EXPECT_EQ(ToHex(a->Request.Bytes()),
              "AB 34 12 FE FF FF FF 04 03 02 01 80 C0 48 58 28 3D DA 01 7A 00 79");
}

TEST(Action, ReadersStayInsideTheAnswer) {
    TZpClient client;
    auto a = CreateAction<TZpAction>(client);
    a->Answer.Write(Hex("01 04 03 02 81") + "0123456789");
    a->Answer.Seek(0);
    EXPECT_EQ(a->ReadByte(), 1);
    EXPECT_EQ(a->ReadInt32(), static_cast<int32_t>(0x81020304));
    EXPECT_EQ(a->ReadString(30), "0123456789");  // fewer bytes than asked
    EXPECT_EQ(a->ReadRest(), "");
    EXPECT_EQ(a->ReadByte(), 0);
    EXPECT_EQ(a->ReadInt32(), 0);
    EXPECT_EQ(a->ReadString(5), "");

    a->Answer.Seek(a->Answer.Size() - 2);
    a->Skip(4);
    EXPECT_EQ(a->Answer.Position(), a->Answer.Size());
    a->Answer.Seek(a->Answer.Size() - 2);
    EXPECT_EQ(a->ReadInt32(), 0x3938);  // the two bytes left, zero-filled
    a->Answer.Seek(1000);
    EXPECT_EQ(a->Answer.Position(), a->Answer.Size());
}

TEST(Action, PadText) {
    struct Case {
        std::string text;
        char pad;
        int width;
        std::string expected;
    } cases[] = {
        {"", ' ', 12, std::string(12, ' ')},
        {"abcdefghijklmno", ' ', 12, "abcdefghijkl"},
        {"abc", '\0', 5, std::string("abc\0\0", 5)},
        {"abc", ' ', 3, "abc"},
        {"abc", ' ', 0, ""},
        {"abc", ' ', -4, ""},
        {Hex("D6 D0 CE C4"), ' ', 3, Hex("D6 D0 CE")},  // cut byte-wise, inside a character
    };
    for (const auto& c : cases)
        EXPECT_EQ(TZpAction::PadText(c.text, c.pad, c.width), c.expected) << c.text;
}

}  // namespace
}  // namespace nuv
