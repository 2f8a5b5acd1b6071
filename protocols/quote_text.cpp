#include "protocols/quote_text.h"

namespace corvane::protocols {

std::string QuoteText(std::string_view text, std::string_view sender) {
    std::string out;
    bool inHeader = !sender.empty();
    if (inHeader) out.append(sender).append(" wrote:\n");
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n' && (at == end || text[at - 1] == '\r')) ++at;
        if (inHeader) {
            inHeader = !line.empty();
            continue;
        }
        out.append(">").append(line).append("\n");
    }
    return out;
}

}  // namespace corvane::protocols
