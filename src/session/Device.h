// The session object behind a library handle: settings, log, last status and the 32 operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "session/Client.h"
#include "support/DateTime.h"
#include "support/Log.h"
#include "support/Text.h"

namespace nuv {

class TZpDevice;

// Called once, with a null sender, when a send operation has finished.
using TZpFinished = std::function<void(TZpDevice* sender)>;

// The session as seen by an embedding program. It forwards to the device's operations of the same
// names; the reference count is kept for such programs and plays no part in the lifetime.
class IZpSession {
  public:
    virtual int32_t AddRef() = 0;
    virtual int32_t Release() = 0;
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    virtual void Reconnect() = 0;
    virtual int32_t Login(const std::string& userName, const std::string& password) = 0;
    virtual int32_t Logout() = 0;
    virtual int32_t KeepAlive() = 0;
    virtual int32_t SingleSend(const std::string& mobile, const std::string& content) = 0;
    virtual int32_t SingleSendAtTime(const std::string& mobile, const std::string& content,
                                     TDateTime atTime) = 0;
    virtual int32_t MassSend(const std::string& mobiles, const std::string& content,
                             TZpStrings* successList, TZpStrings* failList,
                             const TZpFinished& onFinished) = 0;
    virtual int32_t MassSendEx(const std::string& extraNumber, const std::string& mobiles,
                               const std::string& content, TZpStrings* successList,
                               TZpStrings* failList, const TZpFinished& onFinished) = 0;
    virtual int32_t MassSendAtTime(const std::string& mobiles, const std::string& content,
                                   TDateTime atTime, TZpStrings* successList, TZpStrings* failList,
                                   const TZpFinished& onFinished) = 0;
    virtual int32_t MassSendAtTimeEx(const std::string& extraNumber, const std::string& mobiles,
                                     TDateTime atTime, const std::string& content,
                                     TZpStrings* successList, TZpStrings* failList,
                                     const TZpFinished& onFinished) = 0;
    virtual int32_t MultiSend(int32_t messageType, const std::string& timeText,
                              const std::string& extraNumber, const std::string& mobiles,
                              const std::string& content, TZpStrings* successList,
                              TZpStrings* failList, const TZpFinished& onFinished) = 0;
    virtual int32_t Receive(const std::string& serviceArgs, std::string& text) = 0;
    virtual int32_t QueryServerState(int32_t* busyLevel) = 0;
    virtual int32_t CalcCharge(int32_t chargeCount) = 0;
    virtual int32_t ModifyPwd(const std::string& newPassword) = 0;
    virtual int32_t QueryAccu(int32_t* balance) = 0;
    virtual int32_t CheckContent(const std::string& content) = 0;
    virtual int32_t SwapUserInfo(std::string& info) = 0;
    virtual int32_t GetLastErrorCode() = 0;
    virtual void SetLastErrorCode(int32_t code) = 0;
    virtual std::string GetLastErrorText() = 0;
    virtual void SetLastErrorText(const std::string& text) = 0;

  protected:
    ~IZpSession() = default;
};

// Every operation has a base behaviour here; the network session overrides the connection and
// command operations. The virtual functions are declared in their fixed slot order.
class TZpDevice : public IZpSession {
  public:
    TZpDevice();
    virtual ~TZpDevice();
    TZpDevice(const TZpDevice&) = delete;
    TZpDevice& operator=(const TZpDevice&) = delete;

    int32_t AddRef() override { return ++RefCount; }
    int32_t Release() override { return --RefCount; }

    /* 0 */ int32_t GetLastErrorCode() override { return LastErrorCode; }
    /* 1 */ void SetLastErrorCode(int32_t code) override { LastErrorCode = code; }
    /* 2 */ std::string GetLastErrorText() override { return LastErrorText; }
    /* 3 */ void SetLastErrorText(const std::string& text) override { LastErrorText = text; }
    /* 4 */ virtual bool GetConnected() { return Connected; }
    /* 5 */ virtual void SetConnected(bool value) { Connected = value; }
    /* 6 */ virtual bool GetLoggingIn() { return LoggingIn; }
    /* 7 */ virtual void SetLoggingIn(bool value) { LoggingIn = value; }
    /* 8 */ virtual TZpClient& GetClient() { return *Client; }
    /* 9 */ virtual void SetClient(std::unique_ptr<TZpClient> client);
    /* 10 */ virtual TZpLog& GetLog() { return *Log; }
    /* 11 */ virtual TZpStrings& GetAuxList() { return *AuxList; }
    /* 12 */ void Connect() override;
    /* 13 */ void Disconnect() override;
    /* 14 */ void Reconnect() override;
    /* 15 */ int32_t KeepAlive() override;
    /* 16 */ int32_t Login(const std::string& userName, const std::string& password) override;
    /* 17 */ int32_t Logout() override;
    /* 18 */ int32_t SingleSend(const std::string&, const std::string&) override { return 0; }
    /* 19 */ int32_t SingleSendAtTime(const std::string&, const std::string&, TDateTime) override {
        return 0;
    }
    /* 20 */ int32_t MassSend(const std::string&, const std::string&, TZpStrings*, TZpStrings*,
                              const TZpFinished&) override {
        return 0;
    }
    /* 21 */ int32_t MassSendEx(const std::string&, const std::string&, const std::string&,
                                TZpStrings*, TZpStrings*, const TZpFinished&) override {
        return 0;
    }
    /* 22 */ int32_t MassSendAtTime(const std::string&, const std::string&, TDateTime, TZpStrings*,
                                    TZpStrings*, const TZpFinished&) override {
        return 0;
    }
    /* 23 */ int32_t MassSendAtTimeEx(const std::string&, const std::string&, TDateTime,
                                      const std::string&, TZpStrings*, TZpStrings*,
                                      const TZpFinished&) override {
        return 0;
    }
    /* 24 */ int32_t MultiSend(int32_t, const std::string&, const std::string&, const std::string&,
                               const std::string&, TZpStrings*, TZpStrings*,
                               const TZpFinished&) override {
        return 0;
    }
    /* 25 */ int32_t Receive(const std::string&, std::string&) override { return 0; }
    /* 26 */ int32_t QueryServerState(int32_t*) override { return 0; }
    /* 27 */ int32_t ModifyPwd(const std::string&) override { return 0; }
    /* 28 */ int32_t QueryAccu(int32_t*) override { return 0; }
    /* 29 */ int32_t CalcCharge(int32_t) override { return 0; }
    /* 30 */ int32_t CheckContent(const std::string&) override { return 0; }
    /* 31 */ int32_t SwapUserInfo(std::string&) override { return 0; }

    std::string ModulePath;
    int32_t Timeout = 0;
    int32_t LastErrorCode = 0;
    std::string LastErrorText;
    bool Connected = false;
    bool LoggingIn = false;
    std::unique_ptr<TZpClient> Client;
    std::unique_ptr<TZpStrings> AuxList;
    std::unique_ptr<TZpLog> Log;

  protected:
    // For derived sessions whose destructor must close their own connection first.
    void DisconnectIfConnected();

  private:
    int32_t RefCount = 0;
    // Records displaced by SetClient stay alive (commands may still refer to them) and are freed
    // with the device.
    std::vector<std::unique_ptr<TZpClient>> DisplacedClients;
};

inline constexpr int32_t kDefaultTimeoutMs = 10000;

}  // namespace nuv
