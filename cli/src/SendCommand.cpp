// nuv send: recipients from arguments and files, sent in chunks through the mass-send exports.
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "Commands.h"
#include "Gbk.h"
#include "Send.h"
#include "Session.h"
#include "nuv/nuv.h"

namespace nuvcli {
namespace {

constexpr int32_t kDefaultChunk = 5000;
constexpr int32_t kMaxChunk = 50000;

// A refused entry of a gateway answer is 16 bytes of a body of at most 65522, and becomes at
// most 15 bytes plus CR LF in the fail list. The library takes the gateway's list as it comes, so
// the fail buffer keeps room for one such answer per carrier class beyond the caller's numbers.
constexpr std::size_t kAnswerListRoom = (65522 / 16) * 17;

std::string ReadAll(const std::string& path, const std::string& what) {
    if (path == "-") {
        std::stringstream text;
        text << std::cin.rdbuf();
        return text.str();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) throw UsageError{"cannot read " + what + " " + path};
    std::stringstream text;
    text << file.rdbuf();
    if (file.bad()) throw UsageError{"cannot read " + what + " " + path};
    return text.str();
}

// Appends the lines of Text, blanks around them removed, skipping empty ones.
void AppendNumbers(const std::string& text, std::vector<std::string>& numbers) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos) {
            numbers.push_back(line.substr(first, line.find_last_not_of(" \t") - first + 1));
        }
        start = end + 1;
    }
}

// The lines of a result buffer (each followed by CR LF).
std::vector<std::string> Lines(const std::string& buffer, int32_t length) {
    std::vector<std::string> lines;
    if (length <= 0) return lines;
    AppendNumbers(buffer.substr(0, std::min<std::size_t>(buffer.size(), length)), lines);
    return lines;
}

const Operation kSendOperation{"send", "群发短信成功"};

// A progress bar on standard error, drawn only when it is a terminal. It is wiped before each
// status line so the two do not mix when both go to the same terminal.
class Progress {
  public:
    explicit Progress(std::size_t total) : total_(total), shown_(isatty(STDERR_FILENO) == 1) {}
    ~Progress() { Clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void Show(std::size_t done) {
        if (!shown_) return;
        constexpr std::size_t kWidth = 30;
        const std::size_t filled = total_ ? done * kWidth / total_ : kWidth;
        std::cerr << "\rsending [" << std::string(filled, '#') << std::string(kWidth - filled, ' ')
                  << "] " << done << '/' << total_ << std::flush;
        drawn_ = true;
    }
    void Clear() {
        if (drawn_) std::cerr << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

  private:
    std::size_t total_;
    bool shown_;
    bool drawn_ = false;
};

// The send exports report a send time they cannot read as -1 (ZpMultiSend: -91).
constexpr int32_t kUnreadableTime = -91;

std::string StatusText(const Session& session, const SendRequest& request, int32_t status) {
    if (request.At && (status == -1 || status == kUnreadableTime)) {
        return "[unreadable --at time '" + GbkToUtf8(*request.At) + "']";
    }
    return session.Describe(kSendOperation, status);
}

}  // namespace

SendOutcome SendChunk(const Session& session, const SendRequest& request,
                      const std::vector<std::string>& numbers) {
    std::string mobiles;
    std::size_t listBytes = 0;
    for (const std::string& number : numbers) {
        mobiles += number + "\r\n";
        listBytes += number.size() + 2;
    }
    // The library writes without a size: every number plus CR LF, twice for the fail list
    // (a locally invalid number can appear twice), and room for the gateway's own lists.
    std::string success(listBytes + 1, '\0');
    std::string fail(2 * listBytes + 3 * kAnswerListRoom, '\0');
    int32_t successLength = 0;
    int32_t failLength = 0;
    const int32_t handle = session.Handle();
    const char* at = request.At ? request.At->c_str() : "";
    const char* extra = request.Extra ? request.Extra->c_str() : "";
    const char* text = request.Text.c_str();
    int32_t status;
    if (request.Type) {
        status = ZpMultiSend(handle, *request.Type, at, extra, mobiles.c_str(), text,
                             success.data(), fail.data(), &successLength, &failLength);
    } else if (request.At && request.Extra) {
        status = ZpMassSendAtTimeEx(handle, at, extra, mobiles.c_str(), text, success.data(),
                                    fail.data(), &successLength, &failLength);
    } else if (request.At) {
        status = ZpMassSendAtTime(handle, at, mobiles.c_str(), text, success.data(), fail.data(),
                                  &successLength, &failLength);
    } else if (request.Extra) {
        status = ZpMassSendEx(handle, extra, mobiles.c_str(), text, success.data(), fail.data(),
                              &successLength, &failLength);
    } else {
        status = ZpMassSend(handle, mobiles.c_str(), text, success.data(), fail.data(),
                            &successLength, &failLength);
    }
    SendOutcome outcome;
    outcome.Status = status;
    outcome.Accepted = Lines(success, successLength);
    // A locally invalid number of a class refused as a whole is listed twice; show it once.
    std::set<std::string> seen;
    for (std::string& number : Lines(fail, failLength)) {
        if (seen.insert(number).second) outcome.Refused.push_back(GbkToUtf8(number));
    }
    for (std::string& number : outcome.Accepted) number = GbkToUtf8(number);
    return outcome;
}

int RunSend(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed =
        ParseArgs(args, {"--file", "--text-file", "--at", "--extra", "--type", "--chunk"});
    std::vector<std::string> positional = parsed.Positional;
    SendRequest request;
    const auto textFile = parsed.Value("--text-file");
    const auto file = parsed.Value("--file");
    if (textFile && file && *textFile == "-" && *file == "-") {
        throw UsageError{"--file and --text-file cannot both read standard input"};
    }
    std::string text;
    if (textFile) {
        text = ReadAll(*textFile, "text file");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    } else {
        if (positional.empty())
            throw UsageError{"send needs the message text (see nuv send --help)"};
        text = positional.back();
        positional.pop_back();
    }
    request.Text = ToGbk(text, "message text");
    std::vector<std::string> numbers;
    for (const std::string& argument : positional) AppendNumbers(argument, numbers);
    if (file) AppendNumbers(ReadAll(*file, "recipient file"), numbers);
    if (numbers.empty()) throw UsageError{"send needs at least one recipient number"};
    for (std::string& number : numbers) number = ToGbk(number, "recipient number " + number);
    if (const auto at = parsed.Value("--at")) request.At = ToGbk(*at, "--at time");
    if (const auto extra = parsed.Value("--extra")) request.Extra = ToGbk(*extra, "--extra number");
    if (const auto type = parsed.Value("--type")) {
        request.Type = ParseNumber(*type, "message type", INT32_MIN, INT32_MAX);
    }
    const int32_t chunk = parsed.Value("--chunk")
                              ? ParseNumber(*parsed.Value("--chunk"), "chunk size", 1, kMaxChunk)
                              : kDefaultChunk;
    return WithLogin(options, [&](Session& session) {
        return SendInChunks(session, request, numbers, static_cast<std::size_t>(chunk), std::cout);
    });
}

int SendInChunks(const Session& session, const SendRequest& request,
                 const std::vector<std::string>& numbers, std::size_t chunk, std::ostream& out) {
    const std::size_t calls = (numbers.size() + chunk - 1) / chunk;
    Progress progress(numbers.size());
    std::size_t accepted = 0;
    std::size_t sent = 0;
    std::vector<std::pair<std::string, std::string>> refused;  // number, "CODE TEXT"
    int exitCode = kExitOk;
    for (std::size_t call = 0; call < calls; ++call) {
        const std::size_t end = std::min(numbers.size(), sent + chunk);
        const std::vector<std::string> part(numbers.begin() + static_cast<long>(sent),
                                            numbers.begin() + static_cast<long>(end));
        progress.Show(sent);
        const SendOutcome outcome = SendChunk(session, request, part);
        progress.Clear();
        sent = end;
        const std::string statusText = StatusText(session, request, outcome.Status);
        const std::string name =
            calls == 1 ? "send" : "send " + std::to_string(call + 1) + "/" + std::to_string(calls);
        PrintStatus(out, name, outcome.Status, statusText);
        accepted += outcome.Accepted.size();
        // With status 0 the gateway took every number it was sent, so a refused one is a number
        // the library found invalid and did not send.
        const std::string reason = outcome.Status == 0
                                       ? std::string("[invalid number, not sent]")
                                       : std::to_string(outcome.Status) + " " + statusText;
        for (const std::string& number : outcome.Refused) refused.emplace_back(number, reason);
        if (outcome.Status != 0 || !outcome.Refused.empty()) exitCode = kExitStatus;
        // A partial refusal leaves the session usable; anything else ends the run.
        if (outcome.Status != 0 && outcome.Status != NUV_E_PARTLY_REFUSED) break;
    }
    out << "accepted: " << accepted << '\n';
    out << "refused: " << refused.size() << '\n';
    for (const auto& [number, status] : refused)
        out << "refused " << number << ": " << status << '\n';
    if (sent < numbers.size()) out << "not sent: " << numbers.size() - sent << '\n';
    return exitCode;
}

}  // namespace nuvcli
