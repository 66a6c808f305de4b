// The settings and session data of one session, shared by the session, its commands and the
// transport.
#pragma once

#include <cstdint>
#include <string>

#include "support/DateTime.h"

namespace nuv {

enum ProxyKind : int32_t {
    ProxyNone = 0,
    ProxyHttp = 1,
    ProxySocks4 = 2,
    ProxySocks5 = 3,
    ProxyHttpTunnel = 4,
};

// The server a new session talks to until an address is given: the local machine, where the
// gateway simulator listens by default.
inline constexpr const char* kDefaultServerHost = "127.0.0.1";
inline constexpr int32_t kDefaultServerPort = 9900;

// A plain record: every part of the session reads and writes its fields directly.
struct TZpClient {
    int32_t VersionMajor = 2;
    int32_t VersionMinor = 205;
    int32_t EnterpriseId = 0;
    char ClientType = 'C';  // 67
    std::string UserName;
    std::string Password;
    std::string ShortName;
    bool UseShortName = false;
    int32_t Balance = 0;
    std::string EnterpriseIcon;
    std::string EnterpriseSignature;
    bool MmsEnabled = false;
    std::string ServerHost = kDefaultServerHost;
    int32_t ServerPort = kDefaultServerPort;
    std::string ProxyHost;
    std::string ProxyUser;
    std::string ProxyPassword;
    int32_t ProxyPort = 0;
    int32_t ProxyType = ProxyNone;
    std::string AuxText1;
    std::string AuxText2;
    std::string AuxServerHost;
    int32_t AuxServerPort = 0;
    bool LoggedIn = false;
    bool Closed = false;
    std::string AutoReply;
    std::string ForwardNumber;
    std::string AutoForward;
    bool UplinkEnabled = false;
    std::string AgentNumber;
    std::string AutoReceive;
    std::string LastStatusText;
    TDateTime LastActivity = 0;
    std::string ManagementPage;
    int32_t ClientCode = 19;
    std::string SessionId;
    int32_t MobileLength = 0;
    int32_t UnicomLength = 0;
    int32_t PhsLength = 0;
    bool SharedShortName = false;
    bool UnicomSharedShortName = false;
    bool PhsSharedShortName = false;
};

// Sets ServerHost from an address text: a text whose part before the first "." is a whole number
// is kept as it is; anything else is looked up as a host name, and a name that does not resolve
// leaves ServerHost unchanged.
void SetServerAddress(TZpClient& client, const std::string& address);

}  // namespace nuv
