#include "mail/message_page.h"

#include <vector>

#include "core/address.h"
#include "core/html_escape.h"
#include "html/mime_text.h"
#include "platform/ascii.h"

namespace corvane::mail {
namespace {

using core::EscapeHtmlText;

struct StoredMessage {
    std::string_view envelopeLine;  // an mbox "From " line before the headers, if any
    html::MessageEntity entity;
    html::MessageContent content;
};

StoredMessage ReadStored(std::string_view message) {
    StoredMessage stored;
    if (message.starts_with("From ")) {
        const std::size_t end = message.find('\n');
        stored.envelopeLine = message.substr(0, end);
        message = end == std::string_view::npos ? std::string_view() : message.substr(end + 1);
    }
    stored.entity = html::SplitMessage(message);
    stored.content = html::ReadMessageBody(stored.entity.headers, stored.entity.body);
    if (!html::IsMimeEntity(stored.entity.headers)) {
        for (html::MessageText& text : stored.content.texts) {
            std::vector<html::MessageAttachment> blocks = html::TakeUuencodedBlocks(text.utf8);
            for (html::MessageAttachment& block : blocks)
                stored.content.attachments.push_back(std::move(block));
        }
    }
    return stored;
}

bool IsDecodedField(std::string_view name) {
    for (std::string_view decoded : {"From", "To", "Cc", "Subject", "Date", "Reply-To"})
        if (EqualsIgnoreCase(name, decoded)) return true;
    return false;
}

// Text as lines of the preformatted block, escaped, each ended by a line feed.
void AppendTextLines(std::string_view text, std::string& html) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        html += EscapeHtmlText(line);
        html += '\n';
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

std::string MailtoLink(std::string_view rawValue, std::string_view shown) {
    if (rawValue.empty()) return EscapeHtmlText(shown);
    std::string address = html::MailboxAddress(rawValue);
    core::EscapeUrlText(address);
    return "<a href=\"mailto:" + address + "\">" + EscapeHtmlText(shown) + "</a>";
}

}  // namespace

std::string MessagePageHtml(std::string_view message, std::string_view messageUrl) {
    const StoredMessage stored = ReadStored(message);
    const std::vector<html::MessageHeader>& headers = stored.entity.headers;
    std::string html;
    const std::string subject = html::DecodeHeaderText(html::HeaderValue(headers, "Subject"));
    if (!subject.empty()) html += "<title>" + EscapeHtmlText(subject) + "</title>\n";
    html += "<pre>\n";
    if (!stored.envelopeLine.empty()) AppendTextLines(stored.envelopeLine, html);
    for (const html::MessageHeader& header : headers) {
        const std::string shown =
            IsDecodedField(header.name) ? html::DecodeHeaderText(header.value) : header.value;
        html += EscapeHtmlText(header.name) + ": ";
        if (header.name == "From" || header.name == "Return-Path") {
            html += MailtoLink(header.value, shown);
        } else {
            html += EscapeHtmlText(shown);
        }
        html += '\n';
    }
    html += '\n';
    for (const html::MessageText& text : stored.content.texts) {
        if (text.html) {
            html += "</pre>\n";
            html += text.utf8;
            html += "\n<pre>\n";
        } else {
            AppendTextLines(text.utf8, html);
        }
    }
    const std::vector<html::MessageAttachment>& attachments = stored.content.attachments;
    if (!attachments.empty()) html += "\n<hr>Attachments:\n";
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        const html::MessageAttachment& attachment = attachments[i];
        const std::string name =
            attachment.name.empty() ? "attachment " + std::to_string(i + 1) : attachment.name;
        html += "<a href=\"" + EscapeHtmlText(AttachmentUrl(messageUrl, i + 1, name)) + "\">" +
                EscapeHtmlText(name) + "</a> (" + EscapeHtmlText(attachment.type) + ", " +
                std::to_string(attachment.data.size()) + " bytes)\n";
    }
    return html;
}

std::optional<html::MessageAttachment> MessageAttachmentAt(std::string_view message,
                                                           std::size_t number) {
    StoredMessage stored = ReadStored(message);
    if (number == 0 || number > stored.content.attachments.size()) return std::nullopt;
    return std::move(stored.content.attachments[number - 1]);
}

}  // namespace corvane::mail
