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
#include "protocols/attachment_url.h"

namespace corvane::mail {

// Stored messages larger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxMessageBytes = 64u << 20;

// The page for a message file's bytes, whose own address is messageUrl.
std::string MessagePageHtml(std::string_view message, std::string_view messageUrl);

// Attachment `number` (from 1, in the order the page lists them), or nullopt.
std::optional<html::MessageAttachment> MessageAttachmentAt(std::string_view message,
                                                           std::size_t number);

// Attachment links use the shared attachment addresses.
using protocols::AttachmentPath;
using protocols::AttachmentUrl;
using protocols::ParseAttachmentPath;

}  // namespace corvane::mail
