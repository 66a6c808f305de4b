// Status codes, their exact GBK texts, and the mapping of answer result bytes.
#include <gtest/gtest.h>

#include "TestUtil.h"
#include "support/StatuCode.h"

namespace nuv {
namespace {

using test::Hex;

TEST(Status, EveryOwnCodeHasItsExactGbkText) {
    struct Case {
        int32_t code;
        const char* gbkHex;
    } cases[] = {
        {7000, "b7fecef1c6f7b5d8d6b7ceded0a7"},      // 服务器地址无效
        {7001, "cafdbeddd0a3d1e9caa7b0dc"},          // 数据校验失败
        {7002, "cdf8c2e7b2d9d7f7b3accab1"},          // 网络操作超时
        {7010, "cedeb4cbd3c3bba7"},                  // 无此用户
        {7011, "c3dcc2ebb4edcef3"},                  // 密码错误
        {7020, "b7d1d3c3b2bbd7e3"},                  // 费用不足
        {7030, "b6ccd0c5c0e0d0cdceded0a7"},          // 短信类型无效
        {7031, "bdd3cad5bac5c2ebceded0a7"},          // 接收号码无效
        {7032, "d5cbbba7d2d1b1bbcda3"},              // 账户已被停
        {7033, "d2c6b6afbac5c2ebbdfbd6b9b7a2cbcd"},  // 移动号码禁止发送
        {7034, "c1aacda8bac5c2ebbdfbd6b9b7a2cbcd"},  // 联通号码禁止发送
        {7035, "b6ccd0c5c4dac8ddb7c7b7a8"},          // 短信内容非法
        {7036, "bdd3cad5bac5c2ebceaabadac3fbb5a5"},  // 接收号码为黑名单
        {7060, "c8bab7a2b6ccd0c5b1bbbedcbef8"},      // 群发短信被拒绝
        {7061, "b2bfb7d6bac5c2ebb1bbbedcbef8"},      // 部分号码被拒绝
        {7100, "ceded0a7b5c448545450b4fac0ed"},      // 无效的HTTP代理
        {7102, "ceded0a7b5c4736f636b7335b4fac0ed"},  // 无效的socks5代理
        {7103, "736f636b7335bcf8c8a8caa7b0dc"},      // socks5鉴权失败
        {7104, "736f636b7335c1acbdd3caa7b0dc"},      // socks5连接失败
        {7777, "ceb4d6b8c3f7b5c4b4edcef3"},          // 未指明的错误
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusText(c.code), Hex(c.gbkHex)) << c.code;
        EXPECT_EQ(StatusMessage(c.code), Hex(c.gbkHex)) << c.code;
    }
    EXPECT_EQ(StatusText(7101), "");             // not a code of the library
    EXPECT_FALSE(StatusMessage(10061).empty());  // a socket error: the system's message
}

TEST(Status, GetStatusInfoMapsResultBytes) {
    const std::string sent = Hex("b7a2cbcdb6ccd0c5b3c9b9a6");     // 发送短信成功
    const std::string checked = Hex("c4dac8ddc9f3bacbb3c9b9a6");  // 内容审核成功
    struct Case {
        int32_t command;
        uint8_t result;
        int32_t code;
        std::string text;
    } cases[] = {
        {6, 1, 0, sent},
        {6, 0, 7777, StatusText(7777)},
        {6, 2, 7030, StatusText(7030)},
        {6, 3, 7777, StatusText(7777)},
        {6, 4, 7777, StatusText(7777)},
        {6, 5, 7020, StatusText(7020)},
        {6, 6, 7031, StatusText(7031)},
        {6, 7, 7032, StatusText(7032)},
        {6, 8, 7033, StatusText(7033)},
        {6, 9, 7034, StatusText(7034)},
        {6, 10, 7035, StatusText(7035)},
        {6, 11, 7036, StatusText(7036)},
        {6, 12, 7777, StatusText(7777)},
        {6, 255, 7777, StatusText(7777)},
        {2, 11, 7036, StatusText(7036)},
        {2, 1, 0, sent},
        {8, 0, 0, checked},
        {8, 1, 7035, StatusText(7035)},
        {1001, 0, 7104, StatusText(7104)},
        {1002, 200, 7104, StatusText(7104)},
        {1003, 1, 7104, StatusText(7104)},
        {0, 1, 7777, StatusText(7777)},
        {9, 0, 7777, StatusText(7777)},
    };
    for (const auto& c : cases) {
        int32_t code = -5;
        EXPECT_EQ(GetStatusInfo(c.command, c.result, code), c.text)
            << c.command << "/" << int(c.result);
        EXPECT_EQ(code, c.code) << c.command << "/" << int(c.result);
    }
}

TEST(Status, ContentTableLeavesOtherResultsAlone) {
    for (uint8_t result : {2, 7, 255}) {
        int32_t code = 0;
        EXPECT_EQ(GetStatusInfo(8, result, code), "");
        EXPECT_EQ(code, 0);
        code = 4242;
        GetStatusInfo(8, result, code);
        EXPECT_EQ(code, 4242);
    }
}

}  // namespace
}  // namespace nuv
