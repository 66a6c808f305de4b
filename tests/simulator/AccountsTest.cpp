// Accounts read from the accounts file format and from --account options, and the demo account.
#include <gtest/gtest.h>

#include "nuvsim/Accounts.h"

namespace nuvsim {
namespace {

const std::string kGbkDemoName = "NUV\xD1\xDD\xCA\xBE";                 // NUV演示
const std::string kGbkShortName = "\xB2\xE2\xCA\xD4 \xC6\xF3\xD2\xB5";  // 测试 企业
const std::string kGbkBalance = "\xCA\xA3\xD3\xE0\xB5\xE3\xCA\xFD";     // 剩余点数
const std::string kGbkYes = "\xCA\xC7";                                 // 是

TEST(AccountsTest, ReadsAccountsWithAndWithoutProfiles) {
    const AccountsParse parsed = ParseAccounts(
        "# accounts for the demo\n"
        "\n"
        "alice secret 4711 测试 企业\r\n"
        "  剩余点数=500\n"
        "\t使用简称 = 是\n"
        "  移动长度=80 \r\n"
        "bob pw\n");
    ASSERT_EQ(parsed.Error, "");
    ASSERT_EQ(parsed.Accounts.size(), 2u);
    const Account& alice = parsed.Accounts[0];
    EXPECT_EQ(alice.User, "alice");
    EXPECT_EQ(alice.Password, "secret");
    EXPECT_EQ(alice.EnterpriseId, 4711);
    EXPECT_EQ(alice.ShortName, kGbkShortName);
    // Profile lines replace the default profile; names and values are kept as written.
    const Profile expected = {{kGbkBalance, "500"},
                              {"\xCA\xB9\xD3\xC3\xBC\xF2\xB3\xC6 ", " " + kGbkYes},
                              {"\xD2\xC6\xB6\xAF\xB3\xA4\xB6\xC8", "80 "}};  // 移动长度
    EXPECT_EQ(alice.ProfileValues, expected);

    const Account& bob = parsed.Accounts[1];
    EXPECT_EQ(bob.EnterpriseId, 0);
    EXPECT_EQ(bob.ShortName, "");
    EXPECT_EQ(bob.ProfileValues, DefaultProfile());
}

TEST(AccountsTest, ReportsTheFirstBadLine) {
    struct Case {
        std::string Text;
        std::string Error;
    };
    const Case cases[] = {
        {"  A=1\n", "line 1: profile line before any account"},
        {"alice\n", "line 1: user and password are required"},
        {"# c\nalice pw 12x\n", "line 2: enterprise id is not a number"},
        {"alice pw\n  no equals sign\n", "line 2: profile line without '='"},
        {"alice pw 1 \xFF\xFE\n", "line 1: text without a GBK form"},
    };
    for (const Case& c : cases) {
        const AccountsParse parsed = ParseAccounts(c.Text);
        EXPECT_EQ(parsed.Error, c.Error) << c.Text;
        EXPECT_TRUE(parsed.Accounts.empty());
    }
}

TEST(AccountsTest, ReadsAccountOptions) {
    const AccountsParse full = ParseAccountOption("alice:secret:7:测试 企业");
    ASSERT_EQ(full.Error, "");
    ASSERT_EQ(full.Accounts.size(), 1u);
    EXPECT_EQ(full.Accounts[0].User, "alice");
    EXPECT_EQ(full.Accounts[0].Password, "secret");
    EXPECT_EQ(full.Accounts[0].EnterpriseId, 7);
    EXPECT_EQ(full.Accounts[0].ShortName, kGbkShortName);

    const AccountsParse colonInName = ParseAccountOption("u:p:1:a:b");
    ASSERT_EQ(colonInName.Accounts.size(), 1u);
    EXPECT_EQ(colonInName.Accounts[0].ShortName, "a:b");

    const AccountsParse minimal = ParseAccountOption("u:p");
    ASSERT_EQ(minimal.Accounts.size(), 1u);
    EXPECT_EQ(minimal.Accounts[0].EnterpriseId, 0);

    for (const char* bad : {"u", "u:", ":p", "u:p:x1"}) {
        const AccountsParse parsed = ParseAccountOption(bad);
        EXPECT_FALSE(parsed.Error.empty()) << bad;
        EXPECT_TRUE(parsed.Accounts.empty()) << bad;
    }
}

TEST(AccountsTest, DemoAccountAndDefaultProfile) {
    const Account demo = DemoAccount();
    EXPECT_EQ(demo.User, "demo");
    EXPECT_EQ(demo.Password, "demo123");
    EXPECT_EQ(demo.EnterpriseId, 1001);
    EXPECT_EQ(demo.ShortName, kGbkDemoName);
    EXPECT_EQ(demo.ProfileValues, DefaultProfile());
    EXPECT_EQ(DefaultProfile().front(),
              (std::pair<std::string, std::string>{kGbkBalance, "10000"}));
}

}  // namespace
}  // namespace nuvsim
