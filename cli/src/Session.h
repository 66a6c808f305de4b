// A session handle of the library, and the status lines the tool prints about its calls.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "Options.h"

namespace nuvcli {

// How to find the text of an operation's result.
struct Operation {
    const char* Name;         // printed before the code: "login", "balance"
    const char* SuccessText;  // UTF-8 text for status 0 when the last status cannot give it
    // True when the last status after the call is the operation's own status text; false when it
    // belongs to a later step (login reads the profile afterwards) or holds a remark (check).
    bool LastStatusIsOwn = true;
};

// The fixed text (UTF-8) of one of the library's own status codes, or empty.
std::string_view FixedStatusText(int32_t code);

// Owns one handle: opened with the server, proxy and time-out of the options, closed at the end.
class Session {
  public:
    Session(const std::string& server, int32_t port, const std::optional<ProxySetting>& proxy,
            std::optional<int32_t> timeout);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Valid() const { return handle_ > 0; }
    int32_t Handle() const { return handle_; }
    int32_t LastCode() const;
    std::string LastText() const;  // UTF-8

    // The UTF-8 text to print after Result of Op (see cli/README.md, "Status lines").
    std::string Describe(const Operation& op, int32_t result) const;
    // Prints "NAME: CODE TEXT" for Result of Op to Out and returns Result.
    int32_t Report(std::ostream& out, const Operation& op, int32_t result) const;

  private:
    int32_t handle_ = -1;
};

// Prints one status line "NAME: CODE TEXT" (no trailing blank when Text is empty).
void PrintStatus(std::ostream& out, std::string_view name, int32_t code, std::string_view text);

// UTF-8 to GBK for an argument; throws UsageError naming What when GBK cannot hold the text.
std::string ToGbk(const std::string& utf8, const std::string& what);

// Opens a session from the global options, logs in, runs Body and logs out. A refused login is
// printed as its status line (a successful one too with PrintLogin) and gives kExitStatus;
// otherwise Body's exit code is returned.
int WithLogin(const GlobalOptions& options, const std::function<int(Session&)>& body,
              bool printLogin = false);

extern const Operation kLogin;
extern const Operation kLogout;

}  // namespace nuvcli
