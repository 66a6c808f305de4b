// The activity log and the base behaviours of the session object.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "net/Net.h"
#include "session/Device.h"

namespace nuv {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Log, LinesCarryTheStampAndKeepTheirOrder) {
    TZpLog log;
    EXPECT_EQ(log.Add("first"), 0);
    EXPECT_EQ(log.Add(""), 1);
    log.AddStrings({"raw=1", "raw=2"});
    log.Add("multi\r\nline");
    ASSERT_EQ(log.Count(), 5);
    const std::regex stamp(R"(\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\] )");
    EXPECT_TRUE(std::regex_match(log[0].substr(0, 22), stamp)) << log[0];
    EXPECT_EQ(log[0].substr(22), "first");
    EXPECT_EQ(log[1].size(), 22u);  // the stamp alone, ending in a blank
    EXPECT_EQ(log[2], "raw=1");
    EXPECT_EQ(log[3], "raw=2");
    EXPECT_EQ(log[4].substr(22), "multi\r\nline");
}

TEST(Log, SavesWithCrLfAndReportsFailure) {
    auto path = (std::filesystem::temp_directory_path() / "nuv-log-test.log").string();
    TZpLog log;
    log.AddStrings({"a", "b"});
    log.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), "a\r\nb\r\n");
    std::filesystem::remove(path);
    EXPECT_THROW(log.SaveToFile("/nonexistent-folder/device.log"), std::runtime_error);
}

class DeviceFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("nuv-device-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string LogFile() const { return (folder_ / "device.log").string(); }
    void Place(TZpDevice& device) const { device.ModulePath = folder_.string() + "/"; }
    std::filesystem::path folder_;
};

TEST_F(DeviceFolder, NewDeviceDefaults) {
    TZpDevice device;
    EXPECT_EQ(device.Timeout, 10000);
    EXPECT_EQ(device.GetLastErrorCode(), 0);
    EXPECT_EQ(device.GetLastErrorText(), "");
    EXPECT_FALSE(device.GetConnected());
    EXPECT_FALSE(device.GetLoggingIn());
    EXPECT_EQ(device.GetLog().Count(), 0);
    EXPECT_TRUE(device.GetAuxList().empty());
    ASSERT_FALSE(device.ModulePath.empty());
    EXPECT_EQ(device.ModulePath.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(device.ModulePath));
}

TEST_F(DeviceFolder, BaseDisconnectSavesANonEmptyLogOnly) {
    TZpDevice device;
    Place(device);
    device.Disconnect();
    EXPECT_TRUE(device.GetClient().Closed);
    EXPECT_FALSE(std::filesystem::exists(LogFile()));

    device.GetLog().Add("one");
    device.Disconnect();
    std::string saved = ReadFile(LogFile());
    EXPECT_EQ(saved, device.GetLog()[0] + "\r\n");

    device.Connect();
    EXPECT_FALSE(device.GetClient().Closed);
    EXPECT_FALSE(device.GetConnected());
}

TEST_F(DeviceFolder, FreeingDisconnectsOnlyAConnectedDevice) {
    {
        TZpDevice idle;
        Place(idle);
        idle.GetLog().Add("line");
    }
    EXPECT_FALSE(std::filesystem::exists(LogFile()));
    {
        TZpDevice connected;
        Place(connected);
        connected.GetLog().Add("line");
        connected.SetConnected(true);
    }
    EXPECT_TRUE(std::filesystem::exists(LogFile()));
}

TEST_F(DeviceFolder, BaseOperations) {
    TZpDevice device;
    Place(device);
    device.SetLastErrorCode(7002);
    EXPECT_EQ(device.KeepAlive(), 7002);
    EXPECT_EQ(device.Login("u", "p"), 7002);
    device.SetConnected(true);
    EXPECT_EQ(device.KeepAlive(), 0);
    EXPECT_EQ(device.Logout(), 0);
    EXPECT_TRUE(device.GetClient().Closed);
    std::string info = "kept";
    EXPECT_EQ(device.SwapUserInfo(info), 0);
    EXPECT_EQ(device.SingleSend("13800000000", "x"), 0);
}

TEST_F(DeviceFolder, SetClientKeepsTheNewRecord) {
    TZpDevice device;
    TZpClient* old = &device.GetClient();
    auto fresh = std::make_unique<TZpClient>();
    fresh->UserName = "replacement";
    TZpClient* raw = fresh.get();
    device.SetClient(std::move(fresh));
    EXPECT_EQ(&device.GetClient(), raw);
    EXPECT_NE(&device.GetClient(), old);
    EXPECT_EQ(device.GetClient().UserName, "replacement");
}

TEST(NetPort, IsADeviceWithNetworkFields) {
    TZpNetPort port;
    EXPECT_EQ(port.Socket, platform::kNoSocket);
    EXPECT_EQ(port.Timeout, 10000);
    IZpSession& session = port;
    session.SetLastErrorCode(7000);
    EXPECT_EQ(port.GetLastErrorCode(), 7000);
    EXPECT_EQ(session.AddRef(), 1);
    EXPECT_EQ(session.Release(), 0);
}

}  // namespace
}  // namespace nuv
