// nuv-gateway: runs the gateway stand-in on a TCP port until SIGINT or SIGTERM.
#include <signal.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "nuvsim/Accounts.h"
#include "nuvsim/Gateway.h"
#include "nuvsim/Text.h"

namespace {

constexpr const char* kUsage =
    "usage: nuv-gateway [--port N] [--bind ADDR] [--account "
    "USER:PASSWORD[:ENTERPRISE_ID[:SHORT_NAME]]]...\n"
    "                   [--accounts FILE] [--busy N] [--balance N] [--forbid WORD]...\n"
    "                   [--received USER:TEXT]... [--verbose] [--help]\n"
    "\n"
    "Serves the SMS gateway protocol for tests and demos.\n"
    "  --port N        port to listen on (default 9900, the client's default; 0: a free port)\n"
    "  --bind ADDR     IPv4 address to listen on (default 127.0.0.1)\n"
    "  --account USER:PASSWORD[:ENTERPRISE_ID[:SHORT_NAME]]\n"
    "                  add an account; may be repeated\n"
    "  --accounts FILE add the accounts of FILE (format in simulator/README.md)\n"
    "  --busy N        busy level reported by QueryServerState (default 0)\n"
    "  --balance N     balance of every account (default: the profile's 剩余点数, else 0)\n"
    "  --forbid WORD   content checks refuse texts containing WORD; may be repeated\n"
    "  --received USER:TEXT\n"
    "                  queue a received message for USER's RecvMessageEx; may be repeated\n"
    "  --verbose       print one line per request and one per message sent\n"
    "Without accounts the demo account demo/demo123 (enterprise 1001) is served.\n"
    "The first line of output is \"listening on ADDR:PORT\".\n";

struct Settings {
    nuvsim::GatewayOptions Options;
    std::vector<nuvsim::Account> Accounts;
    int BusyLevel = 0;
    std::optional<int> Balance;
    std::vector<std::string> ForbiddenWords;                    // GBK
    std::vector<std::pair<std::string, std::string>> Received;  // user, text (GBK)
    bool Verbose = false;
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "nuv-gateway: " << message << "\n";
    std::exit(2);
}

int ParseNumber(const std::string& text, const char* what, long low, long high) {
    try {
        std::size_t used = 0;
        const long value = std::stol(text, &used);
        if (used == text.size() && value >= low && value <= high) return static_cast<int>(value);
    } catch (const std::exception&) {
    }
    Fail(std::string("invalid ") + what + ": " + text);
}

void AddAccounts(const nuvsim::AccountsParse& parsed, const std::string& source,
                 Settings& settings) {
    if (!parsed.Error.empty()) Fail(source + ": " + parsed.Error);
    settings.Accounts.insert(settings.Accounts.end(), parsed.Accounts.begin(),
                             parsed.Accounts.end());
}

void ReadAccountsFile(const std::string& path, Settings& settings) {
    std::ifstream file(path, std::ios::binary);
    if (!file) Fail("cannot read " + path);
    std::stringstream text;
    text << file.rdbuf();
    AddAccounts(nuvsim::ParseAccounts(text.str()), path, settings);
}

// Command-line text (UTF-8) as the gateway serves it.
std::string Gbk(const std::string& utf8, const std::string& option) {
    std::optional<std::string> gbk = nuvsim::Utf8ToGbk(utf8);
    if (!gbk) Fail(option + ": text without a GBK form: " + utf8);
    return *gbk;
}

Settings ParseArguments(int argc, char** argv) {
    Settings settings;
    settings.Options.Port = 9900;  // where clients look by default
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--port") {
            settings.Options.Port =
                static_cast<std::uint16_t>(ParseNumber(value(), "port", 0, 65535));
        } else if (arg == "--bind") {
            settings.Options.BindAddress = value();
        } else if (arg == "--account") {
            AddAccounts(nuvsim::ParseAccountOption(value()), "--account", settings);
        } else if (arg == "--accounts") {
            ReadAccountsFile(value(), settings);
        } else if (arg == "--busy") {
            settings.BusyLevel = ParseNumber(value(), "busy level", -1000000, 1000000);
        } else if (arg == "--balance") {
            settings.Balance = ParseNumber(value(), "balance", INT32_MIN, INT32_MAX);
        } else if (arg == "--forbid") {
            settings.ForbiddenWords.push_back(Gbk(value(), arg));
        } else if (arg == "--received") {
            const std::string option = value();
            const std::size_t colon = option.find(':');
            if (colon == std::string::npos) Fail("--received needs USER:TEXT");
            settings.Received.emplace_back(Gbk(option.substr(0, colon), arg),
                                           Gbk(option.substr(colon + 1), arg));
        } else if (arg == "--verbose") {
            settings.Verbose = true;
        } else {
            Fail("unknown option " + arg + " (see --help)");
        }
    }
    if (settings.Accounts.empty()) settings.Accounts.push_back(nuvsim::DemoAccount());
    return settings;
}

// One line per request: connection, command, user, verdict; GBK texts shown as UTF-8.
void PrintRequest(const nuvsim::RecordedRequest& request) {
    std::string name = nuvsim::CommandName(request.CommandCode);
    if (request.Service) {
        name += " " + nuvsim::GbkToUtf8(request.Service->Name).value_or(request.Service->Name);
    }
    const std::string user = nuvsim::GbkToUtf8(request.User).value_or(request.User);
    std::printf("[conn %llu] %s user=%s: %s\n",
                static_cast<unsigned long long>(request.ConnectionId), name.c_str(),
                user.empty() ? "-" : user.c_str(), request.Outcome.c_str());
    std::fflush(stdout);
}

// One line per message taken from a mass send: recipients, schedule, extra number, segments.
void PrintMessage(const nuvsim::RecordedMessage& message) {
    std::string recipients;
    for (std::size_t i = 0; i < message.Recipients.size() && i < 3; ++i)
        recipients += (i ? "," : "") + message.Recipients[i];
    if (message.Recipients.size() > 3) recipients += ",...";
    std::string text;
    for (const std::string& segment : message.Segments)
        text += (text.empty() ? "" : " | ") + nuvsim::GbkToUtf8(segment).value_or(segment);
    const std::string user = nuvsim::GbkToUtf8(message.User).value_or(message.User);
    std::printf(
        "[conn %llu] message user=%s type=%d to %zu [%s]%s%s%s%s result=%u refused=%zu: %s\n",
        static_cast<unsigned long long>(message.ConnectionId), user.empty() ? "-" : user.c_str(),
        static_cast<int>(message.MessageType), message.Recipients.size(), recipients.c_str(),
        message.Scheduled ? " at " : "", message.Scheduled ? message.SendTime.c_str() : "",
        message.ExtraNumber.empty() ? "" : " extra=", message.ExtraNumber.c_str(),
        static_cast<unsigned>(message.Result), message.Refused.size(), text.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings = ParseArguments(argc, argv);

    // Blocked before any thread starts, so only sigwait below ever takes these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    nuvsim::Gateway gateway(settings.Options);
    for (auto& account : settings.Accounts) {
        if (settings.Balance) account.Balance = *settings.Balance;
        gateway.AddAccount(std::move(account));
    }
    gateway.SetForbiddenWords(settings.ForbiddenWords);
    for (auto& [user, text] : settings.Received) gateway.QueueReceived(user, std::move(text));
    gateway.SetBusyLevel(settings.BusyLevel);
    if (settings.Verbose) {
        gateway.SetObserver(PrintRequest);
        gateway.SetMessageObserver(PrintMessage);
    }
    if (!gateway.Start()) Fail(gateway.LastError());

    std::printf("listening on %s:%u\n", settings.Options.BindAddress.c_str(),
                static_cast<unsigned>(gateway.Port()));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    gateway.Stop();
    if (settings.Verbose) std::printf("stopped\n");
    return 0;
}
