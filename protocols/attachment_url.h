#pragma once
// Addresses of the attachments of a message or article page: the message's own address, "/",
// the attachment's number (from 1, in the order the page lists them), "/" and its name, which a
// Save As dialog proposes. Shared by the mail: and news: pages.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::protocols {

// The address of attachment `number` of the message at messageUrl. Characters of the name that
// would end or split a path ("/", "\", "?", "#") become "_"; the rest is percent-escaped.
std::string AttachmentUrl(std::string_view messageUrl, std::size_t number, std::string_view name);

// An attachment address taken apart: the message's address path and the number; nullopt when
// the path does not end in "/number/name".
struct AttachmentPath {
    std::string messagePath;
    std::size_t number = 0;
};
std::optional<AttachmentPath> ParseAttachmentPath(std::string_view addressPath);

}  // namespace corvane::protocols
