// Content check (code 8): refuses a text that contains one of the forbidden words.
#include "Handlers.h"

namespace nuvsim {
namespace {

//   request: length(4) then that many text bytes
//   answer:  result (0 acceptable, 1 refused, 2 malformed request) then the remark
constexpr char kAcceptable = 0;
constexpr char kRefused = 1;
constexpr char kMalformed = 2;

// GBK text is searched character by character, so a word never matches across the two bytes
// of neighbouring characters.
bool ContainsWord(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, word.size(), word) == 0) return true;
        i += static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    }
    return false;
}

}  // namespace

Reply HandleCheckContent(Exchange& exchange) {
    const std::string_view body = exchange.Record.Body;
    const std::int64_t length = body.size() < 4 ? -1 : GetInt32(body, 0);
    if (length < 0 || static_cast<std::uint64_t>(length) != body.size() - 4) {
        return {std::string(1, kMalformed) + Gbk("请求格式错误"), "malformed request"};
    }
    const std::string_view text = body.substr(4);
    for (const std::string& word : exchange.Accounts.ForbiddenWords()) {
        if (ContainsWord(text, word)) {
            return {std::string(1, kRefused) + Gbk("含有禁止的词语: ") + word, "forbidden word"};
        }
    }
    return {std::string(1, kAcceptable) + Gbk("审核通过"), "acceptable"};
}

}  // namespace nuvsim
