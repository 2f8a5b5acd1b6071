#include "mail/outgoing_mail.h"

#include "core/url_escapes.h"
#include "platform/ascii.h"
#include "protocols/header_word_encoder.h"

namespace corvane::mail {
std::string DecodeFormText(std::string_view text) {
    std::string spaced(text);
    for (char& c : spaced)
        if (c == '+') c = ' ';
    return core::DecodeUrlEscapes(spaced);
}

MailtoAddress ReadMailtoPath(std::string_view path) {
    MailtoAddress address;
    const std::size_t query = path.find('?');
    address.hasQuery = query != std::string_view::npos;
    if (address.hasQuery) {
        address.formData = DecodeFormText(path.substr(query + 1));
        path = path.substr(0, query);
    }
    const std::size_t at = path.find('@');
    // "+" stays in the address: "ann+lists@a.test" is a common address, and none holds a space.
    address.user = core::DecodeUrlEscapes(path.substr(0, at));
    if (at != std::string_view::npos) address.domain = core::DecodeUrlEscapes(path.substr(at + 1));
    return address;
}

std::string RecipientAddress(std::string_view item) {
    if (const std::size_t open = item.find('<'); open != std::string_view::npos) {
        item.remove_prefix(open + 1);
        return std::string(item.substr(0, item.find('>')));
    }
    return std::string(item.substr(0, item.find(' ')));
}

std::string TakeRecipient(std::string& list) {
    const std::size_t comma = list.find(',');
    const std::string item = list.substr(0, comma);
    std::size_t rest = comma == std::string::npos ? list.size() : comma + 1;
    while (rest < list.size() && list[rest] == ' ') ++rest;
    list.erase(0, rest);
    return RecipientAddress(item);
}

std::string AddressListHeader(std::string_view list) {
    std::string header;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = TrimAsciiBlanks(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        const std::string address = RecipientAddress(item);
        if (address.empty()) continue;
        const std::size_t open = item.find('<');
        std::string_view name = open == std::string_view::npos
                                    ? std::string_view()
                                    : TrimAsciiBlanks(item.substr(0, open));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (!header.empty()) header += ", ";
        header += protocols::FormatAddress(name, address);
    }
    return header;
}

std::string MailDate(std::time_t when) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday],
                  utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

std::string ComposeHeaders(const MessageHeaders& headers, std::time_t when,
                           std::string_view messageIdLocalPart) {
    const std::size_t at = headers.fromAddress.rfind('@');
    const std::string domain =
        at == std::string::npos ? "localhost" : headers.fromAddress.substr(at + 1);
    std::string text;
    text += "From: " + protocols::FormatAddress(headers.fromName, headers.fromAddress) + "\r\n";
    text += "To: " + headers.to + "\r\n";
    if (!headers.cc.empty()) text += "Cc: " + headers.cc + "\r\n";
    text += "Subject: " + protocols::EncodeHeaderText(headers.subject) + "\r\n";
    text += "Date: " + MailDate(when) + "\r\n";
    text += "Message-ID: <" + std::string(messageIdLocalPart) + "@" + domain + ">\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: " + headers.transferEncoding + "\r\n\r\n";
    return text;
}

}  // namespace corvane::mail
