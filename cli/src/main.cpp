// nuv: the command-line tool over the library's exports (see cli/README.md).
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Options.h"

namespace nuvcli {
namespace {

constexpr const char* kToolUsage =
    "usage: nuv [GLOBAL OPTIONS] COMMAND [ARGS...]\n"
    "\n"
    "Talks to the SMS gateway through libNUV. Texts on the command line, in files and on the\n"
    "terminal are UTF-8; the tool converts them to and from the gateway's GBK.\n"
    "\n"
    "Global options (before the command):\n"
    "  --server HOST     gateway host name or IPv4 address (default 127.0.0.1; env NUV_SERVER)\n"
    "  --port N          gateway TCP port (default 9900)\n"
    "  --user NAME       account name (env NUV_USER)\n"
    "  --password PW     account password (env NUV_PASSWORD)\n"
    "  --timeout MS      answer time-out in milliseconds (library default 10000)\n"
    "  --proxy URL       connect through a proxy: http://, socks4://, socks5:// or tunnel://\n"
    "                    followed by [USER[:PASSWORD]@]HOST[:PORT]\n"
    "  --help, --version\n"
    "\n"
    "Commands:\n";

constexpr const char* kToolFooter =
    "\n"
    "'nuv help COMMAND' or 'nuv COMMAND --help' describes one command.\n"
    "Exit status: 0 success, 1 the gateway or library reported a failure status,\n"
    "2 usage error or unusable input, 3 the tool could not run (no session, no gateway).\n";

void PrintToolUsage(std::ostream& out) {
    out << kToolUsage;
    for (const Command& command : AllCommands()) {
        std::string name = command.Name;
        name.resize(12, ' ');
        out << "  " << name << command.Summary << '\n';
    }
    out << kToolFooter;
}

const Command& FindCommand(const std::string& name) {
    for (const Command& command : AllCommands()) {
        if (name == command.Name) return command;
    }
    throw UsageError{"unknown command '" + name + "' (see nuv --help)"};
}

// True when the arguments ask for help before any "--".
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

int Main(const std::vector<std::string>& args) {
    std::size_t index = 0;
    bool wantsHelp = false;
    bool wantsVersion = false;
    const GlobalOptions options = ParseGlobalOptions(args, index, wantsHelp, wantsVersion);
    if (wantsVersion) {
        std::cout << "nuv " << NUV_TOOL_VERSION << '\n';
        return kExitOk;
    }
    if (index == args.size()) {
        if (!wantsHelp) throw UsageError{"no command given (see nuv --help)"};
        PrintToolUsage(std::cout);
        return kExitOk;
    }
    const std::string name = args[index];
    const std::vector<std::string> rest(args.begin() + static_cast<long>(index) + 1, args.end());
    if (name == "help") {
        if (rest.empty()) {
            PrintToolUsage(std::cout);
        } else {
            std::cout << FindCommand(rest.front()).Usage;
        }
        return kExitOk;
    }
    const Command& command = FindCommand(name);
    if (wantsHelp || AsksForHelp(rest)) {
        std::cout << command.Usage;
        return kExitOk;
    }
    return command.Run(options, rest);
}

}  // namespace

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"login", "log in, print the status, log out",
         "usage: nuv [GLOBAL OPTIONS] login\n"
         "\n"
         "Opens a session, logs in with --user/--password (or NUV_USER/NUV_PASSWORD), prints\n"
         "one line 'login: CODE TEXT' and logs out. Exit status 0 when the login succeeded.\n",
         RunLogin},
        {"keepalive", "log in, send a keep-alive, log out",
         "usage: nuv [GLOBAL OPTIONS] keepalive\n"
         "\n"
         "Logs in, sends one keep-alive and prints 'keepalive: CODE TEXT', then logs out.\n"
         "A refused login prints its 'login: CODE TEXT' line instead.\n",
         RunKeepAlive},
        {"send", "send a message to numbers from arguments or a file",
         "usage: nuv [GLOBAL OPTIONS] send [OPTIONS] NUMBER... TEXT\n"
         "       nuv [GLOBAL OPTIONS] send [OPTIONS] --file PATH TEXT\n"
         "       nuv [GLOBAL OPTIONS] send [OPTIONS] --text-file PATH NUMBER...\n"
         "\n"
         "Sends one message to every number. The last argument is the text unless --text-file\n"
         "is given; the other arguments are numbers. Put -- before a text that starts with '-'.\n"
         "  --file PATH       also read numbers from PATH, one per line ('-': standard input);\n"
         "                    blank lines are skipped\n"
         "  --text-file PATH  read the text from PATH ('-': standard input); line ends at the\n"
         "                    end of the file are dropped\n"
         "  --at TIME         send at a local time, e.g. \"2026-12-24 08:30\"\n"
         "  --extra NUMBER    add an extra number to the request\n"
         "  --type N          message type (ZpMultiSend; 808 sends double-width segments)\n"
         "  --chunk N         numbers per library call (default 5000)\n"
         "Prints 'send: CODE TEXT' per call ('send K/N: ...' when there are several), then\n"
         "'accepted: N', 'refused: N', one 'refused NUMBER: CODE TEXT' line per refused number\n"
         "and 'not sent: N' when a failure stopped the run. A progress bar goes to standard\n"
         "error when it is a terminal. Exit status 0 only when every number was accepted.\n",
         RunSend},
        {"balance", "print the account balance",
         "usage: nuv [GLOBAL OPTIONS] balance\n"
         "\n"
         "Prints 'balance: CODE TEXT' and, on success, 'points: N' (the points left).\n",
         RunBalance},
        {"state", "print the gateway's busy level",
         "usage: nuv [GLOBAL OPTIONS] state\n"
         "\n"
         "Prints 'state: CODE TEXT' and, on success, 'busy-level: N' (-1 when the gateway gives\n"
         "none).\n",
         RunState},
        {"check", "have a text checked against the content rules",
         "usage: nuv [GLOBAL OPTIONS] check TEXT\n"
         "\n"
         "Prints 'check: CODE TEXT' (0 acceptable, 7035 refused) and 'remark: ...' with the\n"
         "gateway's remark when it gave one.\n",
         RunCheck},
        {"passwd", "change the account password",
         "usage: nuv [GLOBAL OPTIONS] passwd NEW\n"
         "\n"
         "Changes the password of the logged-in account to NEW and prints 'passwd: CODE TEXT'.\n",
         RunPasswd},
        {"receive", "fetch received messages",
         "usage: nuv [GLOBAL OPTIONS] receive [ARGS...]\n"
         "\n"
         "Fetches the messages waiting for the account. ARGS (joined with blanks) go to the\n"
         "gateway unchanged. Prints 'receive: CODE TEXT', then the reply as the gateway sent\n"
         "it, one line per line.\n",
         RunReceive},
        {"profile", "print the account profile",
         "usage: nuv [GLOBAL OPTIONS] profile\n"
         "\n"
         "Prints 'profile: CODE TEXT', then the profile's Name=Value lines in UTF-8.\n",
         RunProfile},
        {"demo", "tour of the library against an embedded gateway",
         "usage: nuv demo [--proxy URL]\n"
         "\n"
         "Starts the gateway simulator inside the tool on a free 127.0.0.1 port, serving the demo\n"
         "account, and walks through the library's calls, printing each step's status code and\n"
         "text. --server, --port, --user and --password are not used. With --proxy (here or as\n"
         "a global option) the tour runs through that proxy, which is asked to reach the\n"
         "embedded gateway at 127.0.0.1:PORT. Exit status 0 when every step gave the expected\n"
         "status.\n",
         RunDemo},
    };
    return commands;
}

}  // namespace nuvcli

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return nuvcli::Main(args);
    } catch (const nuvcli::UsageError& error) {
        std::cerr << "nuv: " << error.Message << '\n';
        return nuvcli::kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "nuv: " << error.what() << '\n';
        return nuvcli::kExitBroken;
    }
}
