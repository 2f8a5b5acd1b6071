#include "shell/service_urls.h"

#include "core/address.h"
#include "platform/ascii.h"

namespace corvane::shell {
namespace {

constexpr std::string_view kMarks = ":/\\.";
constexpr std::string_view kFtpMarks = ":/\\.@";

// Escapes everything but letters, digits and "-._~", so a typed "@", ":" or "/" stays part of
// the field it was typed in.
std::string EscapeField(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
    return out;
}

}  // namespace

std::string TrimServiceText(std::string_view text, std::string_view marks) {
    const auto trimmed = [marks](char c) {
        return IsAsciiSpace(c) || marks.find(c) != std::string_view::npos;
    };
    while (!text.empty() && trimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && trimmed(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::optional<std::string> FtpDialogUrl(std::string_view serverText, std::string_view userText,
                                        std::string_view passwordText) {
    std::string server = TrimServiceText(serverText, kFtpMarks);
    if (StartsWithIgnoreCase(server, "ftp:")) server = TrimServiceText(server.substr(4), kFtpMarks);
    if (server.empty()) return std::nullopt;
    const std::string user = TrimServiceText(userText, kFtpMarks);
    const std::string password = TrimServiceText(passwordText, kFtpMarks);
    std::string url = "ftp://" + EscapeField(user);
    if (!password.empty()) url += ":" + EscapeField(password);
    if (!user.empty() || !password.empty()) url += "@";
    return url + server;
}

std::optional<std::string> GopherDialogUrl(std::string_view serverText,
                                           std::string_view commandText) {
    std::string server = TrimServiceText(serverText, kMarks);
    if (StartsWithIgnoreCase(server, "gopher://"))
        server = TrimServiceText(server.substr(9), kMarks);
    if (server.empty()) return std::nullopt;
    core::EscapeUrlText(server);
    return "gopher://" + server + "/" + TrimServiceText(commandText, kMarks);
}

std::string GopherServerOf(std::string_view url) {
    if (!StartsWithIgnoreCase(url, "gopher://")) return {};
    const std::string_view rest = url.substr(9);
    return std::string(rest.substr(0, rest.find_first_of("/\\")));
}

std::optional<std::string> WhoisDialogUrl(std::string_view queryText, std::string_view serverText) {
    const std::string query = TrimServiceText(queryText, kMarks);
    if (query.empty()) return std::nullopt;
    const std::string server = TrimServiceText(serverText, kMarks);
    if (server.empty())
        return StartsWithIgnoreCase(query, "whois:") ? query : "whois:" + EscapeField(query);
    if (StartsWithIgnoreCase(server, "whois://")) return server + "/" + EscapeField(query);
    return "whois://" + server + "/" + EscapeField(query);
}

std::optional<std::string> TelnetDialogUrl(std::string_view serverText) {
    const std::string server = TrimServiceText(serverText, kMarks);
    if (server.empty()) return std::nullopt;
    return StartsWithIgnoreCase(server, "telnet://") ? server : "telnet://" + server;
}

}  // namespace corvane::shell
