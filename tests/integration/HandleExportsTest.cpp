// The handle, settings and last-status exports, called as a host would call them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "TestUtil.h"
#include "exports/HandleTable.h"
#include "nuv/nuv.h"

namespace nuv {
namespace {

TZpNetPort& Session(int32_t handle) {
    return *THandleTable::Instance()->Find(handle)->Port;
}

TEST(HandleExports, OpenKeepsOnlyTheFirst15BytesOfTheAddress) {
    const char* address = "10.20.30.40.extra.tail";  // 22 bytes
    int32_t h = ZpOpen(address, 1234);
    ASSERT_GT(h, 0);
    EXPECT_EQ(Session(h).GetClient().ServerHost, "10.20.30.40.ext");
    EXPECT_EQ(Session(h).GetClient().ServerPort, 1234);
    EXPECT_EQ(Session(h).GetClient().ProxyType, 0);
    EXPECT_FALSE(Session(h).GetConnected());

    int32_t p = ZpProxyOpen(address, 80, NUV_PROXY_SOCKS5, "proxy.name", 1080, "user", nullptr);
    ASSERT_GT(p, 0);
    EXPECT_NE(p, h);
    const TZpClient& c = Session(p).GetClient();
    EXPECT_EQ(c.ServerHost, address);
    EXPECT_EQ(c.ServerPort, 80);
    EXPECT_EQ(c.ProxyType, 3);
    EXPECT_EQ(c.ProxyHost, "proxy.name");  // stored unchanged, never looked up
    EXPECT_EQ(c.ProxyPort, 1080);
    EXPECT_EQ(c.ProxyUser, "user");
    EXPECT_EQ(c.ProxyPassword, "");
    EXPECT_EQ(ZpClose(h), 0);
    EXPECT_EQ(ZpClose(p), 0);
}

TEST(HandleExports, NullOrUnresolvableAddressKeepsTheDefault) {
    for (const char* address : {static_cast<const char*>(nullptr), "", "no-such-host.invalid"}) {
        int32_t h = ZpOpen(address, 9900);
        ASSERT_GT(h, 0);
        EXPECT_EQ(Session(h).GetClient().ServerHost, "127.0.0.1");
        EXPECT_EQ(ZpGetLastErrorCode(h), 0);  // nothing is reported
        ZpClose(h);
    }
}

TEST(HandleExports, SetProxyAndTimeout) {
    int32_t h = ZpOpen("127.0.0.1", 9900);
    ASSERT_GT(h, 0);
    EXPECT_EQ(ZpSetProxy(h, NUV_PROXY_HTTP, "127.0.0.2", 3128, "u", "p"), 1);
    const TZpClient& c = Session(h).GetClient();
    EXPECT_EQ(c.ProxyType, 1);
    EXPECT_EQ(c.ProxyHost, "127.0.0.2");
    EXPECT_EQ(c.ProxyPort, 3128);
    EXPECT_EQ(c.ProxyUser, "u");
    EXPECT_EQ(c.ProxyPassword, "p");
    EXPECT_EQ(ZpSetProxy(h, 0, nullptr, 0, nullptr, nullptr), 1);
    EXPECT_EQ(c.ProxyHost, "");

    for (int32_t t : {0, -5, 250}) {
        EXPECT_EQ(ZpSetTimeout(h, t), 0);
        EXPECT_EQ(Session(h).Timeout, t);
    }
    ZpClose(h);
}

TEST(HandleExports, LastErrorTextFollowsTheBufferRules) {
    int32_t h = ZpOpen("127.0.0.1", 9900);
    ASSERT_GT(h, 0);
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(ZpGetLastErrorCode(h), 0);
    EXPECT_EQ(ZpGetLastErrorText(h, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '#');

    const std::string text = test::Hex("CD F8 C2 E7 B2 D9 D7 F7 B3 AC CA B1");  // 网络操作超时
    Session(h).SetLastErrorCode(7002);
    Session(h).SetLastErrorText(text);
    const auto length = static_cast<int32_t>(text.size());
    EXPECT_EQ(ZpGetLastErrorCode(h), 7002);

    EXPECT_EQ(ZpGetLastErrorText(h, buffer, length - 1), length);  // too small: untouched
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(ZpGetLastErrorText(h, nullptr, 0), length);  // asking for the size

    EXPECT_EQ(ZpGetLastErrorText(h, buffer, length), length);  // exact fit, no terminating zero
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(length)), text);
    EXPECT_EQ(buffer[length], '#');
    ZpClose(h);
}

TEST(HandleExports, UnknownAndClosedHandlesGetMinusOne) {
    int32_t h = ZpOpen("127.0.0.1", 9900);
    ASSERT_GT(h, 0);
    ASSERT_EQ(ZpClose(h), 0);
    char buffer[8] = "#######";
    for (int32_t bad : {h, -1, 0, 0x7FFFFFF0}) {
        EXPECT_EQ(ZpClose(bad), -1) << bad;
        EXPECT_EQ(ZpSetTimeout(bad, 5), -1);
        EXPECT_EQ(ZpSetProxy(bad, 1, "1.2.3.4", 1, "", ""), -1);
        EXPECT_EQ(ZpGetLastErrorCode(bad), -1);
        EXPECT_EQ(ZpGetLastErrorText(bad, buffer, sizeof buffer), -1);
    }
    EXPECT_STREQ(buffer, "#######");
}

TEST(HandleExports, HandlesStayDistinctAcrossThreads) {
    constexpr int kThreads = 4, kPerThread = 200;
    std::vector<std::vector<int32_t>> opened(kThreads);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                int32_t h = ZpOpen("127.0.0.1", 9900);
                if (h <= 0) ++failures;
                opened[t].push_back(h);
                if (ZpSetTimeout(h, i) != 0) ++failures;
                if (i % 2 == 1 && ZpClose(opened[t][i - 1]) != 0) ++failures;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<int32_t> alive;
    for (auto& list : opened) {
        for (size_t i = 1; i < list.size(); i += 2) alive.insert(list[i]);
    }
    EXPECT_EQ(alive.size(), static_cast<size_t>(kThreads * kPerThread / 2));
    for (int32_t h : alive) EXPECT_EQ(ZpClose(h), 0);
}

}  // namespace
}  // namespace nuv
