// The client record's defaults and the server address rule.
#include <gtest/gtest.h>

#include "net/Resolve.h"
#include "session/Client.h"

namespace nuv {
namespace {

TEST(Client, Defaults) {
    TZpClient c;
    EXPECT_EQ(c.ClientType, 67);
    EXPECT_EQ(c.ClientCode, 19);
    EXPECT_EQ(c.VersionMajor, 2);
    EXPECT_EQ(c.VersionMinor, 205);
    EXPECT_EQ(c.ServerPort, 9900);
    EXPECT_EQ(c.ServerHost, kDefaultServerHost);
    EXPECT_EQ(c.ProxyType, 0);
    EXPECT_EQ(c.ProxyPort, 0);
    EXPECT_TRUE(c.UserName.empty() && c.Password.empty() && c.ProxyHost.empty() &&
                c.ProxyUser.empty() && c.ProxyPassword.empty());
    EXPECT_EQ(c.MobileLength + c.UnicomLength + c.PhsLength, 0);
    EXPECT_FALSE(c.SharedShortName || c.UnicomSharedShortName || c.PhsSharedShortName);
    EXPECT_EQ(c.EnterpriseId, 0);
    EXPECT_EQ(c.LastActivity, 0.0);
}

TEST(Client, SetServerAddress) {
    struct Case {
        const char* address;
        const char* expected;
        const char* why;
    } cases[] = {
        {"10.1.2.3", "10.1.2.3", "dotted text is kept without a lookup"},
        {"192.no-such-host.invalid", "192.no-such-host.invalid",
         "a numeric first label is kept as is"},
        {"-5.example", "-5.example", "a signed number counts as a number"},
        {"localhost", "127.0.0.1", "a name is looked up"},
        {"no-such-host.invalid", "198.51.100.7", "an unresolvable name keeps the previous address"},
        {"", "198.51.100.7", "the empty name does not resolve here"},
        {"nodots", "198.51.100.7", "a text without a dot is looked up as a name"},
    };
    for (const auto& c : cases) {
        TZpClient client;
        client.ServerHost = "198.51.100.7";
        SetServerAddress(client, c.address);
        EXPECT_EQ(client.ServerHost, c.expected) << c.why;
    }
}

TEST(Client, ResolveHostAddress) {
    std::string out = "untouched";
    EXPECT_TRUE(ResolveHostAddress("localhost", out));
    EXPECT_EQ(out, "127.0.0.1");
    out = "untouched";
    EXPECT_FALSE(ResolveHostAddress(std::string(256, 'a'), out));
    EXPECT_FALSE(ResolveHostAddress("no-such-host.invalid", out));
    EXPECT_EQ(out, "untouched");
}

}  // namespace
}  // namespace nuv
