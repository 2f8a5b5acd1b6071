#pragma once
// The page of a stored message (the mail: scheme): its header lines with the From and
// Return-Path values as mailto links, then its text, then its attachments as links that save
// them. Header values are shown decoded (encoded words); a MIME body shows its text parts in
// UTF-8, an HTML part as markup (the page is marked offline, so it loads nothing), and lists its
// other parts; a plain body lists its uuencoded blocks the same way. Every byte taken from the
// message is escaped, and link targets are percent-escaped, so no message can make markup of its
// own outside an HTML part.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "html/mime_message.h"

namespace corvane::mail {

// Stored messages larger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxMessageBytes = 64u << 20;

// The page for a message file's bytes, whose own address is messageUrl.
std::string MessagePageHtml(std::string_view message, std::string_view messageUrl);

// Attachment `number` (from 1, in the order the page lists them), or nullopt.
std::optional<html::MessageAttachment> MessageAttachmentAt(std::string_view message,
                                                           std::size_t number);

// The address of attachment `number` of the message at messageUrl: the message's address, "/",
// the number, "/" and the attachment's name (which a Save As dialog proposes).
std::string AttachmentUrl(std::string_view messageUrl, std::size_t number, std::string_view name);

// An attachment address taken apart: the message's address path and the number; nullopt when
// the path does not end in "/number/name".
struct AttachmentPath {
    std::string messagePath;
    std::size_t number = 0;
};
std::optional<AttachmentPath> ParseAttachmentPath(std::string_view addressPath);

}  // namespace corvane::mail
