// The tool's global options, the proxy URL and the small argument parser of the sub-commands.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace nuvcli {

// Exit codes of the tool (documented in cli/README.md).
enum ExitCode : int {
    kExitOk = 0,
    kExitStatus = 1,  // the gateway or the library reported a failure status
    kExitUsage = 2,   // bad command line or unusable input
    kExitBroken = 3,  // the tool could not run: no session handle, no embedded gateway
};

// A usage error: the message goes to stderr and the tool exits with kExitUsage.
struct UsageError {
    std::string Message;
};

// A proxy as given by --proxy; texts are UTF-8, the host as written.
struct ProxySetting {
    int32_t Type = 0;  // NUV_PROXY_*
    std::string Scheme;
    std::string Host;
    int32_t Port = 0;
    std::string User;
    std::string Password;
};

struct GlobalOptions {
    std::string Server = "127.0.0.1";  // as given; resolved when a session is opened
    int32_t Port = 9900;
    std::optional<std::string> User;
    std::optional<std::string> Password;
    std::optional<int32_t> Timeout;
    std::optional<ProxySetting> Proxy;
};

// Reads the global options from Args (starting at Index) and the environment; stops at the
// first argument that is not an option and leaves Index there. Throws UsageError.
GlobalOptions ParseGlobalOptions(const std::vector<std::string>& args, std::size_t& index,
                                 bool& wantsHelp, bool& wantsVersion);

// "socks5://user:pw@host:1080" and friends. Throws UsageError.
ProxySetting ParseProxyUrl(const std::string& url);

// The first IPv4 address of Host in dotted form (Host itself when it already is one); throws
// UsageError naming What when the name does not resolve.
std::string ResolveIpv4(const std::string& host, const std::string& what);

// A whole number in [Low, High]; throws UsageError naming What.
int32_t ParseNumber(const std::string& text, const std::string& what, int64_t low, int64_t high);

// Options and positional arguments of one sub-command.
struct ParsedArgs {
    std::map<std::string, std::string> Values;  // "--file" -> "list.txt"
    std::set<std::string> Flags;                // "--help"
    std::vector<std::string> Positional;

    bool Has(const std::string& name) const { return Values.count(name) || Flags.count(name); }
    std::optional<std::string> Value(const std::string& name) const;
};

// Parses "--name VALUE", "--name=VALUE", flags, "--" and positional arguments in any order.
// Options not in ValueOptions or FlagOptions (and not --help/-h) are usage errors.
ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions = {});

}  // namespace nuvcli
