// The login and keep-alive sub-commands.
#include <iostream>

#include "Commands.h"
#include "Session.h"
#include "nuv/nuv.h"

namespace nuvcli {

void ExpectNoArguments(const char* command, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.Positional.empty()) {
        throw UsageError{std::string(command) + " takes no arguments, got '" +
                         parsed.Positional.front() + "'"};
    }
}

int RunLogin(const GlobalOptions& options, const std::vector<std::string>& args) {
    ExpectNoArguments("login", args);
    return WithLogin(
        options, [](Session&) { return kExitOk; }, true);
}

int RunKeepAlive(const GlobalOptions& options, const std::vector<std::string>& args) {
    ExpectNoArguments("keepalive", args);
    return WithLogin(options, [](Session& session) {
        static const Operation op{"keepalive", "保持连接成功"};
        const int32_t status = session.Report(std::cout, op, ZpKeepAlive(session.Handle()));
        return status == 0 ? kExitOk : kExitStatus;
    });
}

}  // namespace nuvcli
