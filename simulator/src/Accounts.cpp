// The default profile, the demo account, and account descriptions read from text.
#include "nuvsim/Accounts.h"

#include <charconv>
#include <optional>

#include "nuvsim/Text.h"

namespace nuvsim {
namespace {

// Literal texts of this file are UTF-8 and all have a GBK form.
std::string Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8).value_or(std::string(utf8));
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A profile line without its indentation and line end; other blanks are part of the value.
std::string_view ProfileText(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Splits off the next blank-separated word of Rest.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimBlanks(rest);
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

std::string LineError(std::size_t line, std::string_view reason) {
    return "line " + std::to_string(line) + ": " + std::string(reason);
}

// Fills an account from its already split parts; the reason on failure.
std::optional<std::string> MakeAccount(std::string_view user, std::string_view password,
                                       std::string_view enterpriseId, std::string_view shortName,
                                       Account& account) {
    if (user.empty() || password.empty()) return "user and password are required";
    auto gbkUser = Utf8ToGbk(user);
    auto gbkPassword = Utf8ToGbk(password);
    auto gbkShortName = Utf8ToGbk(shortName);
    if (!gbkUser || !gbkPassword || !gbkShortName) return "text without a GBK form";
    account.User = std::move(*gbkUser);
    account.Password = std::move(*gbkPassword);
    account.ShortName = std::move(*gbkShortName);
    account.EnterpriseId = 0;
    if (!enterpriseId.empty()) {
        const auto id = ParseInt32(enterpriseId);
        if (!id) return "enterprise id is not a number";
        account.EnterpriseId = *id;
    }
    return std::nullopt;
}

std::optional<std::string> AddProfileLine(std::string_view line, Account& account) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return "profile line without '='";
    auto name = Utf8ToGbk(line.substr(0, equals));
    auto value = Utf8ToGbk(line.substr(equals + 1));
    if (!name || !value) return "text without a GBK form";
    account.ProfileValues.emplace_back(std::move(*name), std::move(*value));
    return std::nullopt;
}

}  // namespace

Profile DefaultProfile() {
    static const Profile profile = [] {
        Profile values;
        const std::pair<const char*, const char*> utf8[] = {
            {"剩余点数", "10000"}, {"转发号码", ""},       {"自动转发", "否"},
            {"自动收信", "否"},    {"自动回复", "否"},     {"代理号码", ""},
            {"开通上行", "否"},    {"使用简称", "否"},     {"开通彩信", "否"},
            {"移动长度", "70"},    {"联通长度", "70"},     {"小灵通长度", "45"},
            {"共享简称", "是"},    {"联通共享简称", "是"}, {"小灵通共享简称", "是"},
        };
        for (const auto& [name, value] : utf8) values.emplace_back(Gbk(name), Gbk(value));
        return values;
    }();
    return profile;
}

Account DemoAccount() {
    Account account;
    account.User = "demo";
    account.Password = "demo123";
    account.EnterpriseId = 1001;
    account.ShortName = Gbk("NUV演示");
    return account;
}

AccountsParse ParseAccounts(std::string_view utf8Text) {
    AccountsParse result;
    bool hasProfileLines = false;
    std::size_t lineNumber = 0;
    while (!utf8Text.empty()) {
        const std::size_t end = utf8Text.find('\n');
        const std::string_view raw = utf8Text.substr(0, end);
        utf8Text.remove_prefix(end == std::string_view::npos ? utf8Text.size() : end + 1);
        ++lineNumber;
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#') continue;
        std::optional<std::string> failure;
        if (IsBlank(raw.front())) {
            if (result.Accounts.empty()) {
                failure = "profile line before any account";
            } else {
                Account& account = result.Accounts.back();
                // The first profile line replaces the default profile instead of adding to it.
                if (!hasProfileLines) account.ProfileValues.clear();
                hasProfileLines = true;
                failure = AddProfileLine(ProfileText(raw), account);
            }
        } else {
            std::string_view rest = line;
            const std::string_view user = NextWord(rest);
            const std::string_view password = NextWord(rest);
            const std::string_view id = NextWord(rest);
            failure =
                MakeAccount(user, password, id, TrimBlanks(rest), result.Accounts.emplace_back());
            hasProfileLines = false;
        }
        if (failure) {
            result.Accounts.clear();
            result.Error = LineError(lineNumber, *failure);
            return result;
        }
    }
    return result;
}

AccountsParse ParseAccountOption(std::string_view utf8Option) {
    const std::string whole(utf8Option);
    std::string_view parts[4];
    std::size_t count = 0;
    while (count < 3) {
        const std::size_t colon = utf8Option.find(':');
        if (colon == std::string_view::npos) break;
        parts[count++] = utf8Option.substr(0, colon);
        utf8Option.remove_prefix(colon + 1);
    }
    // The short name is the last part and may itself hold colons.
    parts[count++] = utf8Option;
    AccountsParse result;
    if (auto failure =
            MakeAccount(parts[0], parts[1], parts[2], parts[3], result.Accounts.emplace_back())) {
        result.Accounts.clear();
        result.Error = *failure + " in '" + whole + "'";
    }
    return result;
}

}  // namespace nuvsim
