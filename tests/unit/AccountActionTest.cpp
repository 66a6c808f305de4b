// The account commands: password change, balance query, charge calculation, content check.
#include <gtest/gtest.h>

#include "ActionTestUtil.h"
#include "TestUtil.h"
#include "actions/CalcChargeAction.h"
#include "actions/CheckContentAction.h"
#include "actions/ModifyPwdAction.h"
#include "actions/QueryAccuAction.h"

namespace nuv {
namespace {

using test::DecodeBody;
using test::Decoded;
using test::Hex;
using test::ToHex;

const std::string kUnspecified = Hex("CE B4 D6 B8 C3 F7 B5 C4 B4 ED CE F3");  // 未指明的错误
const std::string kRemark = Hex("CE A5 BD FB 21");                            // 违禁!

TEST(AccountAction, Defaults) {
    TZpClient client;
    auto pwd = CreateAction<TZpModifyPwdAction>(client);
    auto accu = CreateAction<TZpQueryAccuAction>(client);
    auto charge = CreateAction<TZpCalcChargeAction>(client);
    auto check = CreateAction<TZpCheckContentAction>(client);
    EXPECT_EQ(pwd->CommandCode, 4);
    EXPECT_EQ(pwd->Name, Hex("D0 DE B8 C4 C3 DC C2 EB"));  // 修改密码
    EXPECT_EQ(accu->CommandCode, 5);
    EXPECT_EQ(accu->Name, Hex("B2 E9 D1 AF D5 CB BB A7"));  // 查询账户
    EXPECT_EQ(charge->CommandCode, 1);
    EXPECT_EQ(charge->Name, Hex("BC C6 CB E3 B7 D1 D3 C3"));  // 计算费用
    EXPECT_EQ(check->CommandCode, 8);
    EXPECT_EQ(check->Name, Hex("C4 DA C8 DD C9 F3 BA CB"));  // 内容审核
    for (TZpAction* a :
         std::initializer_list<TZpAction*>{pwd.get(), accu.get(), charge.get(), check.get()}) {
        EXPECT_EQ(a->Description, "");
        EXPECT_EQ(a->StatusCode, 0);
    }
    EXPECT_EQ(pwd->NewPassword, "");
    EXPECT_EQ(charge->ChargeCount, 0);
    EXPECT_EQ(check->Content, "");
}

TEST(AccountAction, RequestBodies) {
    TZpClient client;
    client.EnterpriseId = 4711;  // 67 12 00 00
    client.Password = "secret";

    auto pwd = CreateAction<TZpModifyPwdAction>(client);
    pwd->NewPassword = "abcdefghijklmn";  // 14 bytes: only 12 are sent
    pwd->EncodeRequest();
    EXPECT_EQ(ToHex(pwd->Request.Bytes()), ToHex(Hex("67 12 00 00  43 00 00 00 00 00 00 00") +
                                                 "secret" + std::string(6, '\0') + "abcdefghijkl"));
    EXPECT_EQ(pwd->Request.Size(), 36u);

    auto accu = CreateAction<TZpQueryAccuAction>(client);
    accu->EncodeRequest();
    EXPECT_EQ(ToHex(accu->Request.Bytes()), "67 12 00 00 43");

    client.EnterpriseId = -2;
    auto charge = CreateAction<TZpCalcChargeAction>(client);
    charge->ChargeCount = 300;
    charge->EncodeRequest();
    EXPECT_EQ(ToHex(charge->Request.Bytes()), "FE FF FF FF 2C 01 00 00");

    struct ContentCase {
        std::string content;
        std::string hex;
    } contents[] = {
        {"", "00 00 00 00"},
        {Hex("C4 DA C8 DD") + "a", "05 00 00 00 C4 DA C8 DD 61"},
        {std::string("x\0y", 3), "03 00 00 00 78 00 79"},
    };
    for (const auto& c : contents) {
        auto check = CreateAction<TZpCheckContentAction>(client);
        check->Content = c.content;
        check->EncodeRequest();
        EXPECT_EQ(ToHex(check->Request.Bytes()), c.hex);
    }
}

TEST(AccountAction, BalanceAnswer) {
    struct Case {
        char clientType;
        std::string body;
        int32_t code;
        std::string text;
        int32_t balance;  // the client's Balance afterwards (42 before)
        std::string description;
    } cases[] = {
        // 0, four ignored bytes, 100, 250
        {'C', Hex("00 AA BB CC DD 64 00 00 00 FA 00 00 00"), 0,
         Hex("B2 E9 D1 AF D5 CB BB A7 B3 C9 B9 A6"), 250, ""},  // 查询账户成功
        {'D', Hex("00 AA BB CC DD 64 00 00 00 FA 00 00 00"), 0,
         Hex("B2 E9 D1 AF D5 CB BB A7 B3 C9 B9 A6"), 100, ""},
        {'D', Hex("00 00 00 00 00 FF FF FF FF"), 0, Hex("B2 E9 D1 AF D5 CB BB A7 B3 C9 B9 A6"), -1,
         ""},
        {'C', Hex("03") + kRemark, 7777, kUnspecified, 42, kRemark},
        {'C', Hex("FF"), 7777, kUnspecified, 42, ""},
        // Cut short of the balances it announces: no balance is taken from missing bytes.
        {'C', Hex("00 AA BB CC DD 64 00 00 00"), 7777, kUnspecified, 42,
         Hex("AA BB CC DD 64 00 00 00")},
        {'D', Hex("00 AA BB CC DD 64 00"), 7777, kUnspecified, 42, Hex("AA BB CC DD 64 00")},
        {'C', "", 7777, kUnspecified, 42, ""},
    };
    for (const auto& c : cases) {
        TZpClient client;
        client.ClientType = c.clientType;
        client.Balance = 42;
        auto a = Decoded<TZpQueryAccuAction>(client, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->StatusText), ToHex(c.text)) << ToHex(c.body);
        EXPECT_EQ(client.Balance, c.balance) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->Description), ToHex(c.description)) << ToHex(c.body);
    }
}

TEST(AccountAction, PasswordAnswer) {
    const std::string changed = Hex("D0 DE B8 C4 C3 DC C2 EB B3 C9 B9 A6");  // 修改密码成功
    struct Case {
        std::string body;
        int32_t code;
        std::string text;
        std::string password;  // "old" before
    } cases[] = {
        {Hex("00") + kRemark, 0, changed, "abcdefghijklmn"},  // stored whole
        {Hex("00"), 0, changed, "abcdefghijklmn"},
        {Hex("01") + kRemark, 7777, kUnspecified, "old"},
        {Hex("FF"), 7777, kUnspecified, "old"},
        {"", 7777, kUnspecified, "old"},  // no verdict is no change
    };
    for (const auto& c : cases) {
        TZpClient client;
        client.Password = "old";
        auto a = CreateAction<TZpModifyPwdAction>(client);
        a->NewPassword = "abcdefghijklmn";
        DecodeBody(*a, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << ToHex(c.body);
        EXPECT_EQ(a->StatusText, c.text) << ToHex(c.body);
        EXPECT_EQ(client.Password, c.password) << ToHex(c.body);
        EXPECT_EQ(a->Description, c.body.empty() ? "" : c.body.substr(1)) << ToHex(c.body);
    }
}

TEST(AccountAction, ChargeAnswer) {
    const std::string enough = Hex("BC C6 CB E3 B7 D1 D3 C3 B3 C9 B9 A6");  // 计算费用成功
    const std::string tooLow = Hex("B7 D1 D3 C3 B2 BB D7 E3");              // 费用不足
    struct Case {
        std::string body;
        int32_t code;
        std::string text;
        std::string description;
    } cases[] = {
        {Hex("00 11 22 33 44 01"), 0, enough, ""},
        {Hex("00 11 22 33 44 00"), 7020, tooLow, ""},
        {Hex("00 11 22 33 44 02 99"), 7020, tooLow, ""},
        {Hex("05") + kRemark, 7777, kUnspecified, kRemark},
        {Hex("00 11 22 33 44"), 7777, kUnspecified, Hex("11 22 33 44")},  // no verdict byte
        {"", 7777, kUnspecified, ""},
    };
    for (const auto& c : cases) {
        TZpClient client;
        auto a = Decoded<TZpCalcChargeAction>(client, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->StatusText), ToHex(c.text)) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->Description), ToHex(c.description)) << ToHex(c.body);
    }
}

TEST(AccountAction, ContentAnswer) {
    struct Case {
        std::string body;
        int32_t code;
        std::string text;
    } cases[] = {
        {Hex("00") + kRemark, 0, Hex("C4 DA C8 DD C9 F3 BA CB B3 C9 B9 A6")},  // 内容审核成功
        {Hex("01") + kRemark, 7035, Hex("B6 CC D0 C5 C4 DA C8 DD B7 C7 B7 A8")},  // 短信内容非法
        {Hex("02") + kRemark, 0, ""},  // no table row: code 0, no text
        {Hex("FF"), 0, ""},
        {"", 7777, kUnspecified},  // not even a result byte
    };
    for (const auto& c : cases) {
        TZpClient client;
        auto a = Decoded<TZpCheckContentAction>(client, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->StatusText), ToHex(c.text)) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->Description), ToHex(c.body.empty() ? "" : c.body.substr(1)));
    }
}

// Every prefix of a full answer decodes without reading outside it.
TEST(AccountAction, TruncatedAnswersDecodeSafely) {
    const std::string full = Hex("00 AA BB CC DD 64 00 00 00 FA 00 00 00") + kRemark;
    for (size_t n = 0; n <= full.size(); ++n) {
        const std::string body = full.substr(0, n);
        TZpClient client;
        client.Password = "old";
        auto pwd = Decoded<TZpModifyPwdAction>(client, body);
        auto accu = Decoded<TZpQueryAccuAction>(client, body);
        auto charge = Decoded<TZpCalcChargeAction>(client, body);
        auto check = Decoded<TZpCheckContentAction>(client, body);
        // A success needs the whole layout: 13 bytes for the balance of client type 'C'.
        EXPECT_EQ(accu->StatusCode, n >= 13 ? 0 : 7777) << n;
        EXPECT_EQ(charge->StatusCode, n >= 6 ? 7020 : 7777) << n;
        EXPECT_EQ(check->StatusCode, n >= 1 ? 0 : 7777) << n;
        EXPECT_EQ(pwd->StatusCode, n >= 1 ? 0 : 7777) << n;
    }
}

}  // namespace
}  // namespace nuv
