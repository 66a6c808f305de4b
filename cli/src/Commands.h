// The sub-commands of the tool.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "Options.h"

namespace nuvcli {

struct Command {
    const char* Name;
    const char* Summary;  // one line for the command list
    const char* Usage;    // the full help text of the command
    int (*Run)(const GlobalOptions& options, const std::vector<std::string>& args);
};

// Every sub-command, in the order the help lists them.
const std::vector<Command>& AllCommands();

int RunLogin(const GlobalOptions& options, const std::vector<std::string>& args);
int RunKeepAlive(const GlobalOptions& options, const std::vector<std::string>& args);
int RunSend(const GlobalOptions& options, const std::vector<std::string>& args);
int RunBalance(const GlobalOptions& options, const std::vector<std::string>& args);
int RunState(const GlobalOptions& options, const std::vector<std::string>& args);
int RunCheck(const GlobalOptions& options, const std::vector<std::string>& args);
int RunPasswd(const GlobalOptions& options, const std::vector<std::string>& args);
int RunReceive(const GlobalOptions& options, const std::vector<std::string>& args);
int RunProfile(const GlobalOptions& options, const std::vector<std::string>& args);
int RunDemo(const GlobalOptions& options, const std::vector<std::string>& args);

class Session;

// Account calls that print their status line and value to Out and return the status; the demo
// uses them too. Texts are GBK.
int32_t ShowBalance(const Session& session, std::ostream& out, int32_t* points = nullptr);
int32_t ShowCheck(const Session& session, std::ostream& out, const std::string& gbkText);
int32_t ShowReceived(const Session& session, std::ostream& out, const std::string& gbkArgs);
int32_t ShowProfile(const Session& session, std::ostream& out);

// Parses the arguments of a command that takes none but --help.
void ExpectNoArguments(const char* command, const std::vector<std::string>& args);

}  // namespace nuvcli
