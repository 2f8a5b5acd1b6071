#include "mail/message_page.h"

#include <vector>

#include "core/address.h"
#include "core/html_escape.h"
#include "core/url_escapes.h"
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

std::string AttachmentName(const std::vector<html::MessageAttachment>& attachments,
                           std::size_t index) {
    const std::string& name = attachments[index].name;
    return name.empty() ? "attachment " + std::to_string(index + 1) : name;
}

std::string MailtoLink(std::string_view rawValue, std::string_view shown) {
    if (rawValue.empty()) return EscapeHtmlText(shown);
    std::string address = html::MailboxAddress(rawValue);
    core::EscapeUrlText(address);
    return "<a href=\"mailto:" + address + "\">" + EscapeHtmlText(shown) + "</a>";
}

// The markup with each "cid:" reference to one of the attachments replaced by that attachment's
// address, so the page shows the pictures the message carries.
std::string LinkContentIds(std::string_view markup,
                           const std::vector<html::MessageAttachment>& attachments,
                           std::string_view messageUrl) {
    std::string linked;
    std::size_t copied = 0;
    for (std::size_t at = 0; (at = markup.find(':', at)) != std::string_view::npos; ++at) {
        if (at < 3 || !EqualsIgnoreCase(markup.substr(at - 3, 3), "cid")) continue;
        const std::size_t start = at - 3;
        if (start == 0 ||
            (markup[start - 1] != '"' && markup[start - 1] != '\'' && markup[start - 1] != '='))
            continue;
        std::size_t end = at + 1;
        while (end < markup.size() && markup[end] != '"' && markup[end] != '\'' &&
               markup[end] != '>' && !IsAsciiSpace(markup[end]))
            ++end;
        const std::string id = core::DecodeUrlEscapes(markup.substr(at + 1, end - at - 1));
        for (std::size_t i = 0; i < attachments.size(); ++i) {
            if (id.empty() || attachments[i].contentId != id) continue;
            linked.append(markup, copied, start - copied);
            linked +=
                EscapeHtmlText(AttachmentUrl(messageUrl, i + 1, AttachmentName(attachments, i)));
            copied = end;
            break;
        }
    }
    linked.append(markup, copied);
    return linked;
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
            html += LinkContentIds(text.utf8, stored.content.attachments, messageUrl);
            html += "\n<pre>\n";
        } else {
            AppendTextLines(text.utf8, html);
        }
    }
    const std::vector<html::MessageAttachment>& attachments = stored.content.attachments;
    if (!attachments.empty()) html += "\n<hr>Attachments:\n";
    for (std::size_t i = 0; i < attachments.size(); ++i) {
        const html::MessageAttachment& attachment = attachments[i];
        const std::string name = AttachmentName(attachments, i);
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
