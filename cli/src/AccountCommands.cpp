// The account and service sub-commands: balance, state, check, passwd, receive and profile.
#include <iostream>

#include "Commands.h"
#include "Gbk.h"
#include "Session.h"
#include "nuv/nuv.h"

namespace nuvcli {
namespace {

// A reply or profile is the body of one packet (at most 65522 bytes) plus, for the profile, two
// lines of the session's own; the library writes without a size, so the buffers hold any of it.
constexpr std::size_t kReplyBuffer = 64 * 1024 + 1024;

int ExitFor(int32_t status) {
    return status == 0 ? kExitOk : kExitStatus;
}

// The lines of a GBK text handed back by the library, in UTF-8 (CR LF, CR and LF end a line).
std::vector<std::string> Utf8Lines(const std::string& gbk) {
    const std::string utf8 = GbkToUtf8(gbk);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        if (utf8[i] == '\n' || utf8[i] == '\r') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(utf8[i]);
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

void PrintLines(std::ostream& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) out << line << '\n';
}

// The library appends "企业简称=NAME" to the profile without a line break of its own, so with a
// profile that does not end in one it sticks to the last value; it is shown on its own line.
void SplitTrailingShortName(std::vector<std::string>& lines) {
    if (lines.size() < 3 || lines[1].rfind("企业简称=", 0) != 0) return;
    std::string& last = lines.back();
    const std::string& suffix = lines[1];
    if (last.size() > suffix.size() &&
        last.compare(last.size() - suffix.size(), suffix.size(), suffix) == 0) {
        last.resize(last.size() - suffix.size());
        lines.push_back(suffix);
    }
}

std::string OneArgument(const char* command, const std::vector<std::string>& args,
                        const char* what) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (parsed.Positional.size() != 1) {
        throw UsageError{std::string(command) + " needs exactly one argument: " + what};
    }
    return parsed.Positional.front();
}

}  // namespace

const Operation kBalance{"balance", "查询账户成功"};
const Operation kState{"state", nullptr};
// The last status text after a content check is the gateway's remark, not the status text.
const Operation kCheck{"check", "内容审核成功", false};
const Operation kPasswd{"passwd", "修改密码成功"};
const Operation kReceive{"receive", nullptr};
const Operation kProfile{"profile", nullptr};

int32_t ShowBalance(const Session& session, std::ostream& out, int32_t* points) {
    int32_t balance = -1;
    const int32_t status = session.Report(out, kBalance, ZpQueryAccu(session.Handle(), &balance));
    if (status == 0) out << "points: " << balance << '\n';
    if (points) *points = balance;
    return status;
}

int32_t ShowCheck(const Session& session, std::ostream& out, const std::string& gbkText) {
    const int32_t status =
        session.Report(out, kCheck, ZpCheckContent(session.Handle(), gbkText.c_str()));
    if (session.LastCode() == status) {
        if (const std::string remark = session.LastText(); !remark.empty()) {
            out << "remark: " << remark << '\n';
        }
    }
    return status;
}

int32_t ShowReceived(const Session& session, std::ostream& out, const std::string& gbkArgs) {
    std::string buffer(kReplyBuffer, '\0');
    int32_t length = 0;
    const int32_t status = session.Report(
        out, kReceive, ZpReceive(session.Handle(), gbkArgs.c_str(), buffer.data(), &length));
    if (length > 0 && static_cast<std::size_t>(length) <= buffer.size()) {
        PrintLines(out, Utf8Lines(buffer.substr(0, static_cast<std::size_t>(length))));
    }
    return status;
}

int32_t ShowProfile(const Session& session, std::ostream& out) {
    std::string buffer(kReplyBuffer, '\0');
    int32_t length = 0;
    const int32_t status =
        session.Report(out, kProfile, ZpSwapUserInfo(session.Handle(), buffer.data(), &length));
    if (length > 0 && static_cast<std::size_t>(length) <= buffer.size()) {
        std::vector<std::string> lines =
            Utf8Lines(buffer.substr(0, static_cast<std::size_t>(length)));
        SplitTrailingShortName(lines);
        PrintLines(out, lines);
    }
    return status;
}

int RunBalance(const GlobalOptions& options, const std::vector<std::string>& args) {
    ExpectNoArguments("balance", args);
    return WithLogin(options,
                     [](Session& session) { return ExitFor(ShowBalance(session, std::cout)); });
}

int RunState(const GlobalOptions& options, const std::vector<std::string>& args) {
    ExpectNoArguments("state", args);
    return WithLogin(options, [](Session& session) {
        int32_t busy = -1;
        const int32_t status =
            session.Report(std::cout, kState, ZpQueryServerState(session.Handle(), &busy));
        if (status == 0) std::cout << "busy-level: " << busy << '\n';
        return ExitFor(status);
    });
}

int RunCheck(const GlobalOptions& options, const std::vector<std::string>& args) {
    const std::string text = ToGbk(OneArgument("check", args, "TEXT"), "text");
    return WithLogin(
        options, [&](Session& session) { return ExitFor(ShowCheck(session, std::cout, text)); });
}

int RunPasswd(const GlobalOptions& options, const std::vector<std::string>& args) {
    const std::string password = ToGbk(OneArgument("passwd", args, "NEW"), "new password");
    return WithLogin(options, [&](Session& session) {
        return ExitFor(
            session.Report(std::cout, kPasswd, ZpModifyPwd(session.Handle(), password.c_str())));
    });
}

int RunReceive(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    std::string joined;
    for (const std::string& arg : parsed.Positional) joined += (joined.empty() ? "" : " ") + arg;
    const std::string serviceArgs = ToGbk(joined, "service arguments");
    return WithLogin(options, [&](Session& session) {
        return ExitFor(ShowReceived(session, std::cout, serviceArgs));
    });
}

int RunProfile(const GlobalOptions& options, const std::vector<std::string>& args) {
    ExpectNoArguments("profile", args);
    return WithLogin(options,
                     [](Session& session) { return ExitFor(ShowProfile(session, std::cout)); });
}

}  // namespace nuvcli
