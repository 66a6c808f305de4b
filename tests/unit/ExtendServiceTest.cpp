// The text service channel: requests, the "+OK" rule, key look-up, profile and busy level.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

#include "ActionTestUtil.h"
#include "TestUtil.h"
#include "actions/QueryServerStateAction.h"
#include "actions/RecvMessageAction.h"
#include "actions/SwapUserInfoAction.h"

namespace nuv {
namespace {

using test::Decoded;
using test::Hex;
using test::ToHex;
using namespace std::string_literals;

// Profile keys and values in GBK.
const std::string kBalance = Hex("CA A3 D3 E0 B5 E3 CA FD");                   // 剩余点数
const std::string kForwardNumber = Hex("D7 AA B7 A2 BA C5 C2 EB");             // 转发号码
const std::string kAutoForward = Hex("D7 D4 B6 AF D7 AA B7 A2");               // 自动转发
const std::string kAutoReceive = Hex("D7 D4 B6 AF CA D5 D0 C5");               // 自动收信
const std::string kAutoReply = Hex("D7 D4 B6 AF BB D8 B8 B4");                 // 自动回复
const std::string kAgentNumber = Hex("B4 FA C0 ED BA C5 C2 EB");               // 代理号码
const std::string kUplink = Hex("BF AA CD A8 C9 CF D0 D0");                    // 开通上行
const std::string kUseShortName = Hex("CA B9 D3 C3 BC F2 B3 C6");              // 使用简称
const std::string kIcon = Hex("C6 F3 D2 B5 CD BC B1 EA");                      // 企业图标
const std::string kMms = Hex("BF AA CD A8 B2 CA D0 C5");                       // 开通彩信
const std::string kSignature = Hex("C6 F3 D2 B5 C7 A9 C3 FB");                 // 企业签名
const std::string kManagementPage = Hex("B9 DC C0 ED D2 B3 C3 E6");            // 管理页面
const std::string kMobileLength = Hex("D2 C6 B6 AF B3 A4 B6 C8");              // 移动长度
const std::string kUnicomLength = Hex("C1 AA CD A8 B3 A4 B6 C8");              // 联通长度
const std::string kPhsLength = Hex("D0 A1 C1 E9 CD A8 B3 A4 B6 C8");           // 小灵通长度
const std::string kShared = Hex("B9 B2 CF ED BC F2 B3 C6");                    // 共享简称
const std::string kUnicomShared = Hex("C1 AA CD A8 B9 B2 CF ED BC F2 B3 C6");  // 联通共享简称
const std::string kPhsShared = Hex("D0 A1 C1 E9 CD A8 B9 B2 CF ED BC F2 B3 C6");  // 小灵通共享简称
const std::string kBusyLevel = Hex("B7 B1 C3 A6 B5 C8 BC B6");                    // 繁忙等级
const std::string kYes = Hex("CA C7");                                            // 是
const std::string kNo = Hex("B7 F1");                                             // 否

const std::string kOk = "+OK\r\n\r\n";
const std::string kFailed = Hex("CA A7 B0 DC 3A");  // 失败:

TEST(ExtendService, DefaultsOfTheThreeServices) {
    TZpClient client;
    auto profile = CreateAction<TZpSwapUserInfoAction>(client);
    auto receive = CreateAction<TZpRecvMessageAction>(client);
    auto state = CreateAction<TZpQueryServerStateAction>(client);
    const std::string kDescription = Hex("C0 A9 D5 B9 B7 FE CE F1");  // 扩展服务
    for (TZpExtendServiceAction* a : std::initializer_list<TZpExtendServiceAction*>{
             profile.get(), receive.get(), state.get()}) {
        EXPECT_EQ(a->CommandCode, 9);
        EXPECT_EQ(a->Description, kDescription);
        EXPECT_EQ(a->ServiceArgs, "");
        EXPECT_EQ(a->StatusText, Hex("B5 C8 B4 FD D6 B4 D0 D0"));  // 等待执行
    }
    EXPECT_EQ(profile->Name, Hex("B6 C1 C8 A1 B5 B5 B0 B8"));  // 读取档案
    EXPECT_EQ(profile->ServiceName, "SwapUserInfo");
    EXPECT_EQ(receive->Name, Hex("BD D3 CA D5 B6 CC D0 C5"));  // 接收短信
    EXPECT_EQ(receive->ServiceName, "RecvMessageEx");
    EXPECT_EQ(state->Name, Hex("B2 E9 D1 AF B7 FE CE F1 C6 F7 D7 B4 CC AC"));  // 查询服务器状态
    EXPECT_EQ(state->ServiceName, "QueryServerState");
    EXPECT_EQ(state->BusyLevel, 0);
}

TEST(ExtendService, RequestIsNameBlankLineArguments) {
    TZpClient client;
    auto profile = CreateAction<TZpSwapUserInfoAction>(client);
    profile->EncodeRequest();
    EXPECT_EQ(ToHex(profile->Request.Bytes()),
              ToHex("SwapUserInfo" + Hex("0D 0A 0D 0A")));  // 16 bytes, no terminator
    EXPECT_EQ(profile->Request.Size(), 16u);

    auto state = CreateAction<TZpQueryServerStateAction>(client);
    state->EncodeRequest();
    EXPECT_EQ(state->Request.Bytes(), "QueryServerState\r\n\r\n");
    EXPECT_EQ(state->Request.Size(), 20u);

    auto receive = CreateAction<TZpRecvMessageAction>(client);
    receive->ServiceArgs = std::string("a=1\r\nb\0c", 8);  // passed on byte for byte
    receive->EncodeRequest();
    EXPECT_EQ(receive->Request.Bytes(), std::string("RecvMessageEx\r\n\r\na=1\r\nb\0c", 25));
}

TEST(ExtendService, OkPrefixDecidesAndFailureMessageStartsAtByte11) {
    const std::string name = Hex("BD D3 CA D5 B6 CC D0 C5");  // 接收短信
    struct Case {
        std::string body;
        int32_t code;
        std::string text;
        std::string reply;
    } cases[] = {
        {kOk + "data\r\n", 0, name + Hex("B3 C9 B9 A6"), "data\r\n"},
        {kOk, 0, name + Hex("B3 C9 B9 A6"), ""},
        {"+OKxx", 0, name + Hex("B3 C9 B9 A6"), ""},  // shorter than the 7 dropped bytes
        {"+OK", 0, name + Hex("B3 C9 B9 A6"), ""},
        {"+ok\r\n\r\ndata", 7777, name + kFailed + "a", "+ok\r\n\r\ndata"},  // case matters
        {" +OK\r\n\r\ndata", 7777, name + kFailed + "ta", " +OK\r\n\r\ndata"},
        {"-ERR\r\n\r\n\r\nAB", 7777, name + kFailed + "AB", "-ERR\r\n\r\n\r\nAB"},  // 12 bytes
        {"-ERR\r\n\r\n\r\n", 7777, name + kFailed, "-ERR\r\n\r\n\r\n"},
        {"+O", 7777, name + kFailed, "+O"},
        {"", 7777, name + kFailed, ""},
    };
    for (const auto& c : cases) {
        TZpClient client;
        auto a = Decoded<TZpRecvMessageAction>(client, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->StatusText), ToHex(c.text)) << ToHex(c.body);
        EXPECT_EQ(ToHex(a->Reply), ToHex(c.reply)) << ToHex(c.body);
    }
}

TEST(ExtendService, LookupValue) {
    struct Case {
        std::string text;
        std::string key;
        std::string value;
    } cases[] = {
        {"a=1\r\nb=2\r\nc=3", "b", "2"},
        {"a=1\rb=2\nc=3", "c", "3"},            // CR and LF alone end lines too
        {"b=first\r\nb=second", "b", "first"},  // the first line wins
        {"Key=v", "kEY", "v"},                  // letters compared without case
        {" b=1\r\nb =2", "b", ""},              // the name is not trimmed
        {"b= 1 ", "b", " 1 "},                  // nor is the value
        {"b=x=y", "b", "x=y"},                  // split at the first equals sign
        {"b=", "b", ""},
        {"=v", "", "v"},
        {"bv", "b", ""},                        // no equals sign: no name
        {std::string("a=1\0b=2", 7), "b", ""},  // a zero byte ends the text
        {std::string("b=1\0tail", 8), "b", "1"},
        {"\r\n\r\nb=2\r\n", "b", "2"},
        {"", "b", ""},
        {kBusyLevel + "=3", kBusyLevel, "3"},
        // A GBK second byte that looks like a letter is no letter: 0x81 0x41 is not 0x81 0x61.
        {Hex("81 61 3D 31 0D 0A 81 41 3D 32"), Hex("81 41"), "2"},
        {Hex("81 61 3D 31"), Hex("81 41"), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LookupValue(c.text, c.key), c.value) << ToHex(c.text) << " / " << c.key;
}

TEST(ExtendService, BusyLevelFromTheReply) {
    struct Case {
        std::string body;
        int32_t code;
        int32_t level;
    } cases[] = {
        {kOk + kBusyLevel + "=3", 0, 3},
        {kOk + "x=1\r\n" + kBusyLevel + "=12\r\n", 0, 12},
        {kOk + kBusyLevel + "=high", 0, -1},
        {kOk + kBusyLevel + "=", 0, -1},
        {kOk + "x=1", 0, -1},
        {kOk, 0, -1},
        {kOk + kBusyLevel + "= 7", 0, 7},   // leading blanks are allowed
        {kOk + kBusyLevel + "=7 ", 0, -1},  // trailing ones are not
        {kOk + kBusyLevel + "=-2", 0, -2},
        {kOk + kBusyLevel + "=$1F", 0, 31},  // the platform's hexadecimal prefixes
        {kOk + kBusyLevel + "=0x10", 0, 16},
        {kOk + kBusyLevel + "=x10", 0, 16},
        {kOk + kBusyLevel + "=99999999999", 0, -1},
        {"-ERR\r\n\r\n\r\nbusy", 7777, -1},
    };
    for (const auto& c : cases) {
        TZpClient client;
        auto a = Decoded<TZpQueryServerStateAction>(client, c.body);
        EXPECT_EQ(a->StatusCode, c.code) << c.body;
        EXPECT_EQ(a->BusyLevel, c.level) << c.body;
    }
    TZpClient client;
    auto a = Decoded<TZpQueryServerStateAction>(client, kOk + kBusyLevel + "=3");
    EXPECT_EQ(a->Reply, kBusyLevel + "=3");
    EXPECT_EQ(a->StatusText, Hex("B2 E9 D1 AF B7 FE CE F1 C6 F7 D7 B4 CC AC B3 C9 B9 A6"));
}

// The profile fields of a client record, one per line, for whole-record comparison.
std::string ProfileFields(const TZpClient& c) {
    std::ostringstream out;
    out << "Balance=" << c.Balance << "\nForwardNumber=" << ToHex(c.ForwardNumber)
        << "\nAutoForward=" << ToHex(c.AutoForward) << "\nAutoReceive=" << ToHex(c.AutoReceive)
        << "\nAutoReply=" << ToHex(c.AutoReply) << "\nAgentNumber=" << ToHex(c.AgentNumber)
        << "\nUplinkEnabled=" << c.UplinkEnabled << "\nUseShortName=" << c.UseShortName
        << "\nEnterpriseIcon=" << ToHex(c.EnterpriseIcon) << "\nMmsEnabled=" << c.MmsEnabled
        << "\nEnterpriseSignature=" << ToHex(c.EnterpriseSignature)
        << "\nManagementPage=" << ToHex(c.ManagementPage) << "\nMobileLength=" << c.MobileLength
        << "\nUnicomLength=" << c.UnicomLength << "\nPhsLength=" << c.PhsLength
        << "\nSharedShortName=" << c.SharedShortName
        << "\nUnicomSharedShortName=" << c.UnicomSharedShortName
        << "\nPhsSharedShortName=" << c.PhsSharedShortName;
    return out.str();
}

// What an empty profile gives: every field at the value for an absent key.
TZpClient AbsentKeys() {
    TZpClient c;
    c.Balance = 0;
    c.MobileLength = 60;
    c.UnicomLength = 70;
    c.PhsLength = 45;
    c.SharedShortName = c.UnicomSharedShortName = c.PhsSharedShortName = true;
    return c;
}

TEST(ExtendService, ProfileKeysAndTheirConversions) {
    struct Case {
        std::string profile;
        std::function<void(TZpClient&)> expect;  // changes from AbsentKeys()
    } cases[] = {
        {"", [](TZpClient&) {}},
        {kBalance + "=1234", [](TZpClient& c) { c.Balance = 1234; }},
        {kBalance + "= 500 \t", [](TZpClient& c) { c.Balance = 500; }},  // trimmed
        {kBalance + "=$10", [](TZpClient& c) { c.Balance = 16; }},
        {kBalance + "=many", [](TZpClient&) {}},
        {kMobileLength + "=80", [](TZpClient& c) { c.MobileLength = 80; }},
        {kMobileLength + "= 80", [](TZpClient& c) { c.MobileLength = 80; }},
        {kMobileLength + "=80 ", [](TZpClient&) {}},  // not trimmed: not a number
        {kMobileLength + "=0x46", [](TZpClient& c) { c.MobileLength = 70; }},
        {kUnicomLength + "=66", [](TZpClient& c) { c.UnicomLength = 66; }},
        {kUnicomLength + "=", [](TZpClient&) {}},
        {kPhsLength + "=50", [](TZpClient& c) { c.PhsLength = 50; }},
        {kShared + "=" + kNo, [](TZpClient& c) { c.SharedShortName = false; }},
        {kShared + "= " + kNo, [](TZpClient&) {}},  // not trimmed: not exactly "否"
        {kShared + "=" + kYes, [](TZpClient&) {}},
        {kShared + "=", [](TZpClient&) {}},
        {kUnicomShared + "=" + kNo, [](TZpClient& c) { c.UnicomSharedShortName = false; }},
        {kPhsShared + "=" + kNo, [](TZpClient& c) { c.PhsSharedShortName = false; }},
        {kUseShortName + "= " + kYes + " ", [](TZpClient& c) { c.UseShortName = true; }},
        {kUseShortName + "=" + kYes + "x", [](TZpClient&) {}},
        {kUseShortName + "=" + kNo, [](TZpClient&) {}},
        {kUplink + "=" + kYes, [](TZpClient& c) { c.UplinkEnabled = true; }},
        {kMms + "=\t" + kYes, [](TZpClient& c) { c.MmsEnabled = true; }},
        {kIcon + "= a.png ", [](TZpClient& c) { c.EnterpriseIcon = " a.png "; }},
        {kSignature + "= sig ", [](TZpClient& c) { c.EnterpriseSignature = " sig "; }},
        {kForwardNumber + "= 139 ", [](TZpClient& c) { c.ForwardNumber = "139"; }},
        {kAutoForward + "= on ", [](TZpClient& c) { c.AutoForward = "on"; }},
        {kAutoReceive + "= on ", [](TZpClient& c) { c.AutoReceive = "on"; }},
        {kAutoReply + "= hi ", [](TZpClient& c) { c.AutoReply = "hi"; }},
        {kAgentNumber + "= 10 ", [](TZpClient& c) { c.AgentNumber = "10"; }},
        {kManagementPage + "= http://x/ ", [](TZpClient& c) { c.ManagementPage = "http://x/"; }},
        // Longer keys that end like shorter ones set only their own field.
        {kUnicomShared + "=" + kNo + "\r\n" + kPhsLength + "=9\r\n" + kShared + "=1",
         [](TZpClient& c) {
             c.UnicomSharedShortName = false;
             c.PhsLength = 9;
         }},
    };
    for (const auto& c : cases) {
        TZpClient client;
        auto a = Decoded<TZpSwapUserInfoAction>(client, kOk + c.profile);
        ASSERT_EQ(a->StatusCode, 0);
        EXPECT_EQ(a->Profile, c.profile);
        TZpClient expected = AbsentKeys();
        c.expect(expected);
        EXPECT_EQ(ProfileFields(client), ProfileFields(expected)) << ToHex(c.profile);
    }
}

TEST(ExtendService, SuccessfulProfileWritesEveryFieldAndFailureNone) {
    TZpClient client;
    client.Balance = 77;
    client.ForwardNumber = "old";
    client.UseShortName = true;
    client.MobileLength = 33;
    client.SharedShortName = false;
    const std::string before = ProfileFields(client);

    auto refused = Decoded<TZpSwapUserInfoAction>(client, "-ERR\r\n\r\n\r\n" + kBalance + "=5");
    EXPECT_EQ(refused->StatusCode, 7777);
    EXPECT_EQ(refused->Profile, "");
    EXPECT_EQ(ProfileFields(client), before);

    auto accepted = Decoded<TZpSwapUserInfoAction>(client, kOk + "other=1\r\n");
    EXPECT_EQ(accepted->StatusCode, 0);
    EXPECT_EQ(accepted->StatusText, Hex("B6 C1 C8 A1 B5 B5 B0 B8 B3 C9 B9 A6"));  // 读取档案成功
    EXPECT_EQ(ProfileFields(client), ProfileFields(AbsentKeys()));
}

// Answers from the network are untrusted: any bytes, also after "+OK", decode without fault and
// keep the "+OK" rule.
TEST(ExtendService, ArbitraryAnswersDecodeSafely) {
    std::mt19937 random(20240501);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 300);
    const std::string alphabet = "=\r\n\0 $x0123456789-"s + kBusyLevel + kMobileLength + kNo;
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 2000; ++round) {
        std::string body = round % 2 ? kOk : "";
        const int size = length(random);
        for (int i = 0; i < size; ++i)
            body.push_back(round % 3 ? alphabet[pick(random)] : static_cast<char>(byte(random)));
        TZpClient client;
        auto profile = Decoded<TZpSwapUserInfoAction>(client, body);
        auto state = Decoded<TZpQueryServerStateAction>(client, body);
        const bool ok = body.compare(0, 3, "+OK") == 0;
        EXPECT_EQ(profile->StatusCode, ok ? 0 : 7777);
        EXPECT_EQ(profile->Reply, ok ? body.substr(std::min<size_t>(7, body.size())) : body);
        EXPECT_EQ(profile->Profile, ok ? profile->Reply : "");
        EXPECT_EQ(state->StatusCode, profile->StatusCode);
    }
}

}  // namespace
}  // namespace nuv
