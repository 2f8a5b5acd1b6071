#include "mail/message_headers.h"

#include "platform/ascii.h"

namespace corvane::mail {
namespace {

std::string_view SkipSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    return text;
}

// Whether line is header `name`; its value (leading blanks skipped) goes to `value`.
bool HeaderValue(std::string_view line, std::string_view name, std::string_view& value) {
    if (line.size() <= name.size() || line[name.size()] != ':' || !StartsWithIgnoreCase(line, name))
        return false;
    value = SkipSpaces(line.substr(name.size() + 1));
    return true;
}

}  // namespace

std::string ShortDate(std::string_view value) {
    if (const std::size_t comma = value.find(','); comma != std::string_view::npos)
        value = value.substr(comma + 1);
    value = SkipSpaces(value);
    if (const std::size_t colon = value.rfind(':'); colon != std::string_view::npos)
        value = value.substr(0, colon);
    return std::string(value);
}

std::string MessageKey(std::string_view messageId) {
    constexpr char kHex[] = "0123456789ABCDEF";
    messageId = SkipSpaces(messageId);
    messageId = messageId.substr(0, messageId.find_first_of(" \t\r"));
    std::string key;
    key.reserve(messageId.size() * 2);
    for (const char c : messageId) {
        const auto byte = static_cast<unsigned char>(c);
        key += kHex[byte >> 4];
        key += kHex[byte & 0xF];
    }
    return key;
}

void ReadSummaryHeader(std::string_view line, MessageSummary& summary) {
    std::string_view value;
    if (HeaderValue(line, "Subject", value)) {
        summary.subject = std::string(value);
    } else if (HeaderValue(line, "Date", value)) {
        summary.date = ShortDate(value);
    } else if (HeaderValue(line, "From", value)) {
        if (const std::size_t close = value.find('>'); close != std::string_view::npos)
            value = value.substr(0, close + 1);
        summary.from = std::string(value);
    } else if (HeaderValue(line, "Message-Id", value)) {
        summary.key = MessageKey(value);
    }
}

}  // namespace corvane::mail
