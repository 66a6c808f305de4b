// nuv demo: a guided tour of the library's calls against a gateway simulator inside the tool.
#include <iostream>
#include <string>

#include "Commands.h"
#include "Gbk.h"
#include "Send.h"
#include "Session.h"
#include "nuv/nuv.h"
#include "nuvsim/Accounts.h"
#include "nuvsim/Gateway.h"

namespace nuvcli {
namespace {

// Prints the transcript and counts the steps whose status was not the expected one.
class Tour {
  public:
    explicit Tour(std::ostream& out) : out_(out) {}

    void Note(const std::string& text) { out_ << "# " << text << '\n'; }

    // Prints the status line of one call and checks it against Expected.
    int32_t Step(const Session& session, const Operation& op, int32_t result, int32_t expected) {
        ++steps_;
        session.Report(out_, op, result);
        if (result != expected) {
            ++unexpected_;
            out_ << "! unexpected: " << op.Name << " should give " << expected << '\n';
        }
        return result;
    }

    // Counts a step that is judged by something other than its status.
    void Expect(bool holds, const std::string& what) {
        ++steps_;
        if (!holds) {
            ++unexpected_;
            out_ << "! unexpected: " << what << '\n';
        }
    }

    std::ostream& Out() { return out_; }

    int Finish() {
        if (unexpected_ == 0) {
            Note("Done: " + std::to_string(steps_) + " steps, each with the expected status.");
            return kExitOk;
        }
        Note("Done: " + std::to_string(unexpected_) + " of " + std::to_string(steps_) +
             " steps did not give the expected status.");
        return kExitStatus;
    }

  private:
    std::ostream& out_;
    int steps_ = 0;
    int unexpected_ = 0;
};

std::string Route(const std::optional<ProxySetting>& proxy) {
    if (!proxy) return "direct connection";
    return proxy->Scheme + " proxy " + proxy->Host + ":" + std::to_string(proxy->Port);
}

constexpr const char* kForbiddenWord = "赌博";
const std::vector<std::string> kMassNumbers = {"13800138000", "13000000000", "07712345678",
                                               "12345"};

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8).value_or(std::string());
}

// False when the login failed and the tour cannot go on.
bool TourLogin(Tour& tour, Session& session, const nuvsim::Account& account) {
    tour.Note("Log in: connect, send the account name and password, read the account profile.");
    if (tour.Step(session, kLogin,
                  ZpLogin(session.Handle(), account.User.c_str(), account.Password.c_str()),
                  0) != 0) {
        return false;
    }
    tour.Note("A keep-alive tells the gateway the session is still in use.");
    static const Operation keepAlive{"keepalive", "保持连接成功"};
    tour.Step(session, keepAlive, ZpKeepAlive(session.Handle()), 0);
    tour.Note("The account profile: enterprise, short name and the settings the sends use.");
    tour.Expect(ShowProfile(session, tour.Out()) == 0, "profile should give 0");
    return true;
}

void TourChecks(Tour& tour, Session& session) {
    tour.Note("Ask the gateway whether texts pass its content rules.");
    tour.Expect(ShowCheck(session, tour.Out(), Gbk("会议改到明天下午三点。")) == 0,
                "check should give 0");
    tour.Note(std::string("A text with the forbidden word \"") + kForbiddenWord +
              "\" is refused, with the gateway's remark.");
    tour.Expect(ShowCheck(session, tour.Out(),
                          Gbk(std::string("欢迎参加") + kForbiddenWord + "活动")) == NUV_E_CONTENT,
                "check should give 7035");
}

void TourSends(Tour& tour, Session& session) {
    tour.Note("Send one message to one number.");
    static const Operation single{"singlesend", "发送短信成功"};
    tour.Step(session, single,
              ZpSingleSend(session.Handle(), "13800138000", Gbk("您好，这是NUV演示短信。").c_str()),
              0);
    tour.Note("A mass send: one request per carrier class (mobile, unicom, PHS).");
    tour.Note("\"12345\" is not a valid number; the library refuses it without sending it.");
    SendRequest request;
    request.Text = Gbk("NUV演示：群发短信。");
    std::vector<std::string> numbers = kMassNumbers;
    const SendOutcome outcome = SendChunk(session, request, numbers);
    static const Operation mass{"masssend", "群发短信成功"};
    tour.Step(session, mass, outcome.Status, 0);
    for (const std::string& number : outcome.Accepted) tour.Out() << "accepted " << number << '\n';
    for (const std::string& number : outcome.Refused) tour.Out() << "refused " << number << '\n';
    tour.Expect(
        outcome.Accepted.size() == 3 && outcome.Refused == std::vector<std::string>{"12345"},
        "three numbers should be accepted and 12345 refused");
}

void TourReceive(Tour& tour, Session& session) {
    tour.Note("Fetch the messages the gateway holds for the account.");
    tour.Expect(ShowReceived(session, tour.Out(), "") == 0, "receive should give 0");
}

void TourLogout(Tour& tour, Session& session) {
    tour.Note("Log out: end the login and close the connection.");
    tour.Step(session, kLogout, ZpLogout(session.Handle()), 0);
}

void TourAll(Tour& tour, Session& session, const nuvsim::Account& account) {
    if (!TourLogin(tour, session, account)) return;
    tour.Note("The balance before sending.");
    int32_t before = -1;
    tour.Expect(ShowBalance(session, tour.Out(), &before) == 0, "balance should give 0");
    TourChecks(tour, session);
    TourSends(tour, session);
    tour.Note("The balance after sending: every accepted message costs points.");
    int32_t after = -1;
    tour.Expect(ShowBalance(session, tour.Out(), &after) == 0, "balance should give 0");
    tour.Expect(after >= 0 && after < before, "the sends should have cost points");
    if (after >= 0 && after < before) {
        tour.Note("The sends cost " + std::to_string(before - after) + " points.");
    }
    TourReceive(tour, session);
    TourLogout(tour, session);
}

}  // namespace

int RunDemo(const GlobalOptions& options, const std::vector<std::string>& args) {
    const ParsedArgs parsed = ParseArgs(args, {"--proxy"});
    if (!parsed.Positional.empty()) {
        throw UsageError{"demo takes no arguments, got '" + parsed.Positional.front() + "'"};
    }
    std::optional<ProxySetting> proxy = options.Proxy;
    if (const auto url = parsed.Value("--proxy")) proxy = ParseProxyUrl(*url);

    const nuvsim::Account account = nuvsim::DemoAccount();
    nuvsim::Gateway gateway;
    gateway.AddAccount(account);
    gateway.SetForbiddenWords({Gbk(kForbiddenWord)});
    gateway.QueueReceived(account.User, Gbk("13800138000 收到，谢谢！"));
    gateway.QueueReceived(account.User, Gbk("13000000000 明天见。"));
    if (!gateway.Start()) {
        std::cerr << "nuv: the embedded gateway did not start: " << gateway.LastError() << '\n';
        return kExitBroken;
    }
    const std::string address = "127.0.0.1:" + std::to_string(gateway.Port());
    Tour tour(std::cout);
    tour.Note("NUV demo: a gateway simulator runs inside this process on " + address + ".");
    tour.Note("Account " + GbkToUtf8(account.User) + " / " + GbkToUtf8(account.Password) +
              ", enterprise " + std::to_string(account.EnterpriseId) + " (" +
              GbkToUtf8(account.ShortName) + ").");
    tour.Note("Open a session handle; nothing is connected yet.");
    Session session("127.0.0.1", gateway.Port(), proxy, options.Timeout);
    if (!session.Valid()) {
        std::cerr << "nuv: the library could not open a session\n";
        return kExitBroken;
    }
    std::cout << "open: handle " << session.Handle() << " for " << address << " (" << Route(proxy)
              << ")\n";
    TourAll(tour, session, account);
    return tour.Finish();
}

}  // namespace nuvcli
