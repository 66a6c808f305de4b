// Global options, environment variables, proxy URLs and sub-command arguments.
#include "Options.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <charconv>
#include <cstdlib>
#include <memory>

#include "nuv/nuv.h"

namespace nuvcli {
namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

bool IsDottedIpv4(const std::string& text) {
    in_addr address{};
    return inet_pton(AF_INET, text.c_str(), &address) == 1;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Percent-decoding of the user and password of a URL, so ':' and '@' can be written as %3A, %40.
std::string PercentDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

struct SchemeInfo {
    const char* Name;
    int32_t Type;
    int32_t DefaultPort;
};

constexpr SchemeInfo kSchemes[] = {
    {"http", NUV_PROXY_HTTP, 8080},
    {"socks4", NUV_PROXY_SOCKS4, 1080},
    {"socks5", NUV_PROXY_SOCKS5, 1080},
    {"tunnel", NUV_PROXY_HTTP_TUNNEL, 8080},
};

const SchemeInfo& FindScheme(const std::string& url, std::string& rest) {
    const std::size_t separator = url.find("://");
    if (separator != std::string::npos) {
        const std::string name = url.substr(0, separator);
        for (const SchemeInfo& scheme : kSchemes) {
            if (name == scheme.Name) {
                rest = url.substr(separator + 3);
                return scheme;
            }
        }
    }
    throw UsageError{"--proxy " + url +
                     ": expected http://, socks4://, socks5:// or tunnel:// followed by "
                     "[USER[:PASSWORD]@]HOST[:PORT]"};
}

}  // namespace

std::optional<std::string> ParsedArgs::Value(const std::string& name) const {
    const auto found = Values.find(name);
    if (found == Values.end()) return std::nullopt;
    return found->second;
}

int32_t ParseNumber(const std::string& text, const std::string& what, int64_t low, int64_t high) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
        throw UsageError{"invalid " + what + ": '" + text + "' (expected a whole number from " +
                         std::to_string(low) + " to " + std::to_string(high) + ")"};
    }
    return static_cast<int32_t>(value);
}

std::string ResolveIpv4(const std::string& host, const std::string& what) {
    if (IsDottedIpv4(host)) return host;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        throw UsageError{what + " '" + host + "' does not resolve to an IPv4 address"};
    }
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    inet_ntop(AF_INET, &address->sin_addr, text, sizeof text);
    return text;
}

ProxySetting ParseProxyUrl(const std::string& url) {
    std::string rest;
    const SchemeInfo& scheme = FindScheme(url, rest);
    ProxySetting proxy;
    proxy.Type = scheme.Type;
    proxy.Scheme = scheme.Name;
    proxy.Port = scheme.DefaultPort;
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    const std::size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        const std::string credentials = rest.substr(0, at);
        const std::size_t colon = credentials.find(':');
        proxy.User = PercentDecode(credentials.substr(0, colon));
        if (colon != std::string::npos)
            proxy.Password = PercentDecode(credentials.substr(colon + 1));
        rest = rest.substr(at + 1);
    }
    const std::size_t colon = rest.rfind(':');
    if (colon != std::string::npos) {
        proxy.Port = ParseNumber(rest.substr(colon + 1), "proxy port", 1, 65535);
        rest = rest.substr(0, colon);
    }
    if (rest.empty() || rest.find('/') != std::string::npos) {
        throw UsageError{"--proxy " + url + ": no proxy host"};
    }
    proxy.Host = rest;
    return proxy;
}

GlobalOptions ParseGlobalOptions(const std::vector<std::string>& args, std::size_t& index,
                                 bool& wantsHelp, bool& wantsVersion) {
    GlobalOptions options;
    std::optional<std::string> server = Environment("NUV_SERVER");
    options.User = Environment("NUV_USER");
    options.Password = Environment("NUV_PASSWORD");
    for (; index < args.size() && args[index].rfind("-", 0) == 0; ++index) {
        std::string name = args[index];
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (index + 1 >= args.size()) throw UsageError{name + " needs a value"};
            return args[++index];
        };
        if (name == "--help" || name == "-h") {
            wantsHelp = true;
        } else if (name == "--version") {
            wantsVersion = true;
        } else if (name == "--server") {
            server = value();
        } else if (name == "--port") {
            options.Port = ParseNumber(value(), "port", 1, 65535);
        } else if (name == "--user") {
            options.User = value();
        } else if (name == "--password") {
            options.Password = value();
        } else if (name == "--timeout") {
            options.Timeout = ParseNumber(value(), "time-out (milliseconds)", 1, 86400000);
        } else if (name == "--proxy") {
            options.Proxy = ParseProxyUrl(value());
        } else {
            throw UsageError{"unknown option " + name + " (see nuv --help)"};
        }
    }
    if (server) options.Server = *server;
    return options;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args,
                     const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (optionsEnded || name == "-" || name.rfind("-", 0) != 0) {
            parsed.Positional.push_back(name);
            continue;
        }
        if (name == "--") {
            optionsEnded = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name == "-h") name = "--help";
        if (name == "--help" || flagOptions.count(name)) {
            if (inlineValue) throw UsageError{name + " takes no value"};
            parsed.Flags.insert(name);
        } else if (valueOptions.count(name)) {
            if (!inlineValue && i + 1 >= args.size()) throw UsageError{name + " needs a value"};
            parsed.Values[name] = inlineValue ? *inlineValue : args[++i];
        } else {
            throw UsageError{"unknown option " + name};
        }
    }
    return parsed;
}

}  // namespace nuvcli
