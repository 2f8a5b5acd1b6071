#pragma once
// The addresses the FTP, Gopher, Whois and Telnet dialogs form from what the user typed. Each
// answers nullopt when its first field is empty: the dialog then closes without loading.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::shell {

// Removes white space and the characters of `marks` from both ends until neither end has any.
std::string TrimServiceText(std::string_view text, std::string_view marks);

std::optional<std::string> FtpDialogUrl(std::string_view server, std::string_view user,
                                        std::string_view password);
std::optional<std::string> GopherDialogUrl(std::string_view server, std::string_view command);
// The host of a gopher address, for the dialog's Server field; empty for other addresses.
std::string GopherServerOf(std::string_view url);
std::optional<std::string> WhoisDialogUrl(std::string_view query, std::string_view server);
std::optional<std::string> TelnetDialogUrl(std::string_view server);

}  // namespace corvane::shell
