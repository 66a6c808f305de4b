// A gateway simulator on a loopback port, and access to the sessions behind handles.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>

#include <string>

#include "exports/HandleTable.h"
#include "nuv/nuv.h"
#include "nuvsim/Gateway.h"
#include "platform/Platform.h"

namespace nuv::test {

class SimulatorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.LastError();
        nuvsim::Account account;
        account.User = "alice";
        account.Password = "secret";
        account.EnterpriseId = 4711;
        account.ShortName = platform::Utf8ToGbk("测试");
        gateway.AddAccount(account);
    }
    void TearDown() override {
        for (int32_t h : handles_) ZpClose(h);
        gateway.Stop();
    }

    // A handle for the simulator, closed at the end of the test.
    int32_t Open(int32_t timeoutMs = 2000) {
        int32_t h = ZpOpen("127.0.0.1", gateway.Port());
        EXPECT_GT(h, 0);
        ZpSetTimeout(h, timeoutMs);
        handles_.push_back(h);
        return h;
    }
    // A handle logged in as alice, with the login and profile requests cleared from the record.
    int32_t LoggedIn() {
        int32_t h = Open();
        EXPECT_EQ(ZpLogin(h, "alice", "secret"), 0);
        gateway.ClearRequests();
        return h;
    }
    static TZpNetPort& Port(int32_t h) { return *THandleTable::Instance()->Find(h)->Port; }
    static std::string LastText(int32_t h) {
        char buffer[512];
        int32_t n = ZpGetLastErrorText(h, buffer, sizeof buffer);
        return n > 0 && n <= 512 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }
    // The log lines of a session without their time stamps.
    static std::vector<std::string> LogTexts(int32_t h) {
        std::vector<std::string> texts;
        for (const auto& line : Port(h).GetLog().Lines())
            texts.push_back(line.size() >= 22 ? line.substr(22) : line);
        return texts;
    }

    nuvsim::Gateway gateway;

  private:
    std::vector<int32_t> handles_;
};

// Open file descriptors of this process.
inline int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr) ++count;
        ::closedir(dir);
    }
    return count;
}

}  // namespace nuv::test
