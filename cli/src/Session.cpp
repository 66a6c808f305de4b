// Session handles, status texts and the log-in frame shared by the sub-commands.
#include "Session.h"

#include <iostream>
#include <ostream>

#include "Gbk.h"
#include "nuv/nuv.h"

namespace nuvcli {

const Operation kLogin{"login", "登录成功", false};
const Operation kLogout{"logout", "退出登录成功", true};

std::string_view FixedStatusText(int32_t code) {
    switch (code) {
        case NUV_E_SERVER_ADDRESS:
            return "服务器地址无效";
        case NUV_E_CHECKSUM:
            return "数据校验失败";
        case NUV_E_TIMEOUT:
            return "网络操作超时";
        case NUV_E_NO_SUCH_USER:
            return "无此用户";
        case NUV_E_WRONG_PASSWORD:
            return "密码错误";
        case NUV_E_NO_BALANCE:
            return "费用不足";
        case NUV_E_MESSAGE_TYPE:
            return "短信类型无效";
        case NUV_E_RECIPIENT:
            return "接收号码无效";
        case NUV_E_ACCOUNT_STOPPED:
            return "账户已被停";
        case NUV_E_MOBILE_BARRED:
            return "移动号码禁止发送";
        case NUV_E_UNICOM_BARRED:
            return "联通号码禁止发送";
        case NUV_E_CONTENT:
            return "短信内容非法";
        case NUV_E_BLACKLISTED:
            return "接收号码为黑名单";
        case NUV_E_SEND_REFUSED:
            return "群发短信被拒绝";
        case NUV_E_PARTLY_REFUSED:
            return "部分号码被拒绝";
        case NUV_E_HTTP_PROXY:
            return "无效的HTTP代理";
        case NUV_E_SOCKS5_PROXY:
            return "无效的socks5代理";
        case NUV_E_SOCKS5_AUTH:
            return "socks5鉴权失败";
        case NUV_E_SOCKS5_CONNECT:
            return "socks5连接失败";
        case NUV_E_UNSPECIFIED:
            return "未指明的错误";
        default:
            return {};
    }
}

Session::Session(const std::string& server, int32_t port, const std::optional<ProxySetting>& proxy,
                 std::optional<int32_t> timeout) {
    // Names are resolved here rather than in the library: it cuts a server name to 15 bytes,
    // falls back to 127.0.0.1 without a word when a name does not resolve, and takes only
    // dotted IPv4 text for a proxy.
    const std::string address = ResolveIpv4(server, "server");
    if (!proxy) {
        handle_ = ZpOpen(address.c_str(), port);
    } else {
        const std::string proxyAddress = ResolveIpv4(proxy->Host, "proxy host");
        const std::string user = ToGbk(proxy->User, "proxy user");
        const std::string password = ToGbk(proxy->Password, "proxy password");
        handle_ = ZpProxyOpen(address.c_str(), port, proxy->Type, proxyAddress.c_str(), proxy->Port,
                              user.c_str(), password.c_str());
    }
    if (Valid() && timeout) ZpSetTimeout(handle_, *timeout);
}

Session::~Session() {
    if (Valid()) ZpClose(handle_);
}

int32_t Session::LastCode() const {
    return ZpGetLastErrorCode(handle_);
}

std::string Session::LastText() const {
    const int32_t length = ZpGetLastErrorText(handle_, nullptr, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    // The text could change between the two calls only if another thread used the handle.
    if (ZpGetLastErrorText(handle_, text.data(), length) != length) return {};
    return GbkToUtf8(text);
}

std::string Session::Describe(const Operation& op, int32_t result) const {
    const int32_t lastCode = LastCode();
    if (op.LastStatusIsOwn && result == lastCode) {
        std::string text = LastText();
        if (!text.empty()) return text;
    }
    if (result == 0 && op.SuccessText) return op.SuccessText;
    if (const std::string_view fixed = FixedStatusText(result); !fixed.empty()) {
        return std::string(fixed);
    }
    if (result == -1) return "[the library refused the call]";
    if (result == NUV_E_NOT_CONNECTED && lastCode == result) return "[not connected]";
    // A socket error or a code without fixed text: show what the last status says instead.
    std::string last = LastText();
    return "[last status " + std::to_string(lastCode) + (last.empty() ? "" : ": " + last) + "]";
}

int32_t Session::Report(std::ostream& out, const Operation& op, int32_t result) const {
    PrintStatus(out, op.Name, result, Describe(op, result));
    return result;
}

void PrintStatus(std::ostream& out, std::string_view name, int32_t code, std::string_view text) {
    out << name << ": " << code;
    if (!text.empty()) out << ' ' << text;
    out << '\n';
}

std::string ToGbk(const std::string& utf8, const std::string& what) {
    std::optional<std::string> gbk = Utf8ToGbk(utf8);
    if (!gbk) throw UsageError{what + " is not UTF-8 text that GBK can hold"};
    if (gbk->find('\0') != std::string::npos) throw UsageError{what + " holds a zero byte"};
    return *gbk;
}

int WithLogin(const GlobalOptions& options, const std::function<int(Session&)>& body,
              bool printLogin) {
    if (!options.User) throw UsageError{"no user name: give --user NAME or set NUV_USER"};
    if (!options.Password) {
        throw UsageError{"no password: give --password PW or set NUV_PASSWORD"};
    }
    const std::string user = ToGbk(*options.User, "user name");
    const std::string password = ToGbk(*options.Password, "password");
    Session session(options.Server, options.Port, options.Proxy, options.Timeout);
    if (!session.Valid()) {
        std::cerr << "nuv: the library could not open a session\n";
        return kExitBroken;
    }
    const int32_t login = ZpLogin(session.Handle(), user.c_str(), password.c_str());
    if (login != 0 || printLogin) session.Report(std::cout, kLogin, login);
    if (login != 0) return kExitStatus;
    const int exitCode = body(session);
    const int32_t logout = ZpLogout(session.Handle());
    if (logout != 0) {
        std::cerr << "nuv: warning: ";
        session.Report(std::cerr, kLogout, logout);
    }
    return exitCode;
}

}  // namespace nuvcli
