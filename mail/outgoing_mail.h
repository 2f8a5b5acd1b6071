#pragma once
// The parts of an outgoing message that do not depend on the server: the addresses taken from
// a mailto: URL and from recipient lists, and the header block every mail system expects (From,
// To, Cc, Subject, Date, Message-ID and the MIME lines).

#include <ctime>
#include <string>
#include <string_view>

namespace corvane::mail {

// A mailto: URL's path read for sending.
struct MailtoAddress {
    std::string user;       // before "@" (the whole path before "?" without one)
    std::string domain;     // after "@" up to "?"; empty without "@"
    bool hasQuery = false;  // the path has a "?"
    std::string formData;   // after "?"
};

// Splits and decodes the path: "%XX" becomes its byte and "+" a space in every part.
MailtoAddress ReadMailtoPath(std::string_view path);

// "%XX" escapes and "+" for space decoded, as form data and mailto: paths are written.
std::string DecodeFormText(std::string_view text);

// Takes the first item of a comma-separated recipient list and leaves the rest (leading spaces
// skipped) in `list`. The item's address is the text between "<" and ">" (to its end when ">" is
// missing), else the item up to its first space. Empty for an item without an address.
std::string TakeRecipient(std::string& list);

// The address of one item, read as TakeRecipient reads it.
std::string RecipientAddress(std::string_view item);

// A recipient list as header text: every item with its display name kept (encoded when not
// plain ASCII), joined by ", ".
std::string AddressListHeader(std::string_view list);

struct MessageHeaders {
    std::string fromName;          // the "Mail Name" setting
    std::string fromAddress;       // the "E-Mail Address" setting
    std::string to;                // header text (AddressListHeader)
    std::string cc;                // header text; no Cc line when empty
    std::string subject;           // UTF-8
    std::string transferEncoding;  // "7bit" or "quoted-printable"
};

// "Mon, 07 Dec 2026 09:19:47 +0000" (UTC).
std::string MailDate(std::time_t when);

// The header block, each line ending in CR LF, followed by the empty line.
std::string ComposeHeaders(const MessageHeaders& headers, std::time_t when,
                           std::string_view messageIdLocalPart);

}  // namespace corvane::mail
