#include "news/article_page.h"

#include "core/convertor_choice.h"
#include "html/charset_decoder.h"
#include "html/mime_message.h"
#include "html/mime_text.h"
#include "news/news_html.h"
#include "platform/ascii.h"
#include "protocols/attachment_url.h"
#include "protocols/text_links.h"

namespace corvane::news {
namespace {

// Far longer than any real header; a longer one is dropped, not cut.
constexpr std::size_t kMaxHeader = 256 * 1024;

void AppendRowStart(std::string_view name, std::string& html) {
    html += "<tr><td valign=top align=right><b>";
    html += name;
    html += "</b></td>";
}

void AppendNewsgroups(std::string_view groups, std::string& html) {
    AppendRowStart("Newsgroups:", html);
    html += "<td>\r\n";
    bool first = true;
    while (!groups.empty()) {
        const std::size_t comma = groups.find(',');
        const std::string_view group = TrimAsciiSpace(groups.substr(0, comma));
        groups = comma == std::string_view::npos ? std::string_view() : groups.substr(comma + 1);
        if (group.empty()) continue;
        if (!first) html += ", ";
        first = false;
        html += "<a href=\"news:" + LinkText(group) + "\">" + HtmlText(group) + "</a>";
    }
    html += "</td>\r\n";
}

void AppendReferences(std::string_view references, std::string& html) {
    AppendRowStart("References:", html);
    html += "<td>\r\n";
    int number = 0;
    while (true) {
        const std::size_t open = references.find('<');
        const std::size_t close =
            open == std::string_view::npos ? open : references.find('>', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view id = references.substr(open + 1, close - open - 1);
        if (number > 0) html += ", ";
        html += "<a href=\"news:" + LinkText(id) + "\">" + std::to_string(++number) + "</a> ";
        references = references.substr(close + 1);
    }
    html += HtmlText(TrimAsciiSpace(references));
    html += "</td>\r\n";
}

}  // namespace

void ArticleHeaderReader::Add(std::string_view piece, bool continuation) {
    if (continuation) {
        if (!dropped_ && current_.size() + piece.size() <= kMaxHeader) {
            current_.append(piece);
        } else {
            dropped_ = true;
            current_.clear();
        }
        return;
    }
    if (!piece.empty() && (piece.front() == ' ' || piece.front() == '\t')) {
        // A folded line continues the header above it.
        if (!dropped_ && !current_.empty() && current_.size() + piece.size() <= kMaxHeader) {
            current_.append(piece);
        } else {
            dropped_ = true;
            current_.clear();
        }
        return;
    }
    Store();
    current_.assign(piece);
    dropped_ = false;
}

void ArticleHeaderReader::Store() {
    if (dropped_ || current_.empty()) return;
    const std::size_t colon = current_.find(':');
    if (colon == std::string::npos) return;
    const std::string_view name = std::string_view(current_).substr(0, colon);
    const std::string value(TrimAsciiSpace(std::string_view(current_).substr(colon + 1)));
    struct Field {
        std::string_view name;
        std::string ArticleHeaders::*member;
    };
    static constexpr Field kFields[] = {
        {"Subject", &ArticleHeaders::subject},
        {"Date", &ArticleHeaders::date},
        {"From", &ArticleHeaders::from},
        {"Organization", &ArticleHeaders::organization},
        {"Newsgroups", &ArticleHeaders::newsgroups},
        {"References", &ArticleHeaders::references},
        {"Message-ID", &ArticleHeaders::messageId},
        {"Content-Type", &ArticleHeaders::contentType},
        {"Content-Transfer-Encoding", &ArticleHeaders::transferEncoding},
    };
    for (const Field& field : kFields) {
        if (EqualsIgnoreCase(name, field.name)) headers_.*field.member = value;
    }
}

ArticleHeaders ArticleHeaderReader::Finish() {
    Store();
    current_.clear();
    dropped_ = false;
    return std::move(headers_);
}

std::string ArticleHeaderHtml(const ArticleHeaders& raw, std::string_view charset) {
    ArticleHeaders headers = raw;
    for (std::string* value : {&headers.subject, &headers.date, &headers.from,
                               &headers.organization, &headers.newsgroups, &headers.references})
        *value = html::DecodeHeaderText(*value, charset);
    std::string html;
    if (!headers.subject.empty()) html += "<TITLE>" + HtmlText(headers.subject) + "</TITLE>\r\n";
    html += kNewsBodyLine;
    html += "<table>\r\n";
    html += "<tr><td valign=middle align=right><b>Subject:</b></td><td><font size=+3>" +
            HtmlText(headers.subject) + "</font></td>\r\n";
    AppendRowStart("Date:", html);
    html += "<td><font size=+1>" + HtmlText(headers.date) + "</font></td>\r\n";
    if (!headers.from.empty()) {
        AppendRowStart("From:", html);
        html += "<td><a href=\"mailto:" + LinkText(html::MailboxAddress(headers.from)) + "\">" +
                HtmlText(headers.from) + "</a></td>\r\n";
    }
    if (!headers.organization.empty()) {
        AppendRowStart("Organization:", html);
        html += "<td>" + HtmlText(headers.organization) + "</td>\r\n";
    }
    if (!headers.newsgroups.empty()) AppendNewsgroups(headers.newsgroups, html);
    if (!headers.references.empty()) AppendReferences(headers.references, html);
    html += "</table>\r\n<br><hr size=4><pre>\r\n";
    return html;
}

// A line without an end is written once this much of it is decoded, so a hostile line costs
// no more memory than this.
constexpr std::size_t kMaxHeldLine = 64 * 1024;

ArticleBodyWriter::ArticleBodyWriter(std::string_view charset)
    : decoder_(std::make_unique<html::CharsetDecoder>(charset, false)), charset_(charset) {}

ArticleBodyWriter ArticleBodyWriter::For(const ArticleHeaders& headers) {
    ArticleBodyWriter writer(core::ContentTypeCharset(headers.contentType));
    const std::string type =
        AsciiLower(TrimAsciiSpace(core::ContentTypeWithoutParameters(headers.contentType)));
    const std::string encoding = AsciiLower(TrimAsciiSpace(headers.transferEncoding));
    writer.mime_ =
        type.starts_with("multipart/") || encoding == "base64" || encoding == "quoted-printable";
    writer.contentType_ = headers.contentType;
    writer.transferEncoding_ = headers.transferEncoding;
    return writer;
}
ArticleBodyWriter::~ArticleBodyWriter() = default;
ArticleBodyWriter::ArticleBodyWriter(ArticleBodyWriter&&) noexcept = default;
ArticleBodyWriter& ArticleBodyWriter::operator=(ArticleBodyWriter&&) noexcept = default;

void ArticleBodyWriter::Line(std::string_view text, bool continuation, std::string& html) {
    if (mime_) {
        const std::size_t adding = text.size() + (started_ && !continuation ? 1 : 0);
        if (cut_ || raw_.size() + adding > kMaxMimeBody) {
            cut_ = true;
            return;
        }
        if (started_ && !continuation) raw_ += '\n';
        raw_ += text;
        started_ = true;
        return;
    }
    // Line ends go through the decoder too, so text it holds back keeps its place.
    if (started_ && !continuation) decoder_->Decode("\n", decoded_);
    decoder_->Decode(text, decoded_);
    started_ = true;
    WriteLines(html);
}

void ArticleBodyWriter::WriteLines(std::string& html) {
    std::size_t start = 0;
    for (std::size_t end; (end = decoded_.find('\n', start)) != std::string::npos; start = end + 1)
        WriteLine(std::string_view(decoded_).substr(start, end - start), html);
    decoded_.erase(0, start);
    if (decoded_.size() > kMaxHeldLine) {
        if (holding_) ReleaseUuencoded(html);
        protocols::AppendTextWithLinks(decoded_, html);
        decoded_.clear();
    }
}

void ArticleBodyWriter::WriteLine(std::string_view line, std::string& html) {
    if (holding_) {
        if (uuencoded_.size() + line.size() < kMaxMimeBody) {
            uuencoded_ += line;
            uuencoded_ += '\n';
            // A block ends at the first "end": the held lines make at most one, at their end.
            if (line == "end") ReleaseUuencoded(html);
            return;
        }
        ReleaseUuencoded(html);  // too long to be held: text after all
    }
    if (html::IsUuencodeBegin(line)) {
        uuencoded_.assign(line);
        uuencoded_ += '\n';
        holding_ = true;
        return;
    }
    protocols::AppendTextWithLinks(line, html);
    html += "\r\n";
}

void ArticleBodyWriter::ReleaseUuencoded(std::string& html) {
    holding_ = false;
    std::vector<html::MessageAttachment> blocks = html::TakeUuencodedBlocks(uuencoded_);
    std::string_view rest = uuencoded_;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        protocols::AppendTextWithLinks(rest.substr(0, end), html);
        html += "\r\n";
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    uuencoded_.clear();
    for (html::MessageAttachment& block : blocks) AddAttachment(std::move(block), html);
}

void ArticleBodyWriter::AddAttachment(html::MessageAttachment attachment, std::string& html) {
    const std::size_t number = ++listed_;
    const std::string shown = attachment.name.empty() ? "(no name)" : attachment.name;
    html += "[Attachment: ";
    if (link_.empty()) {
        html += HtmlText(shown);
    } else {
        const std::string saved =
            attachment.name.empty() ? "attachment " + std::to_string(number) : attachment.name;
        html += "<a href=\"" + protocols::AttachmentUrl(link_, number, saved) + "\">" +
                HtmlText(shown) + "</a>";
    }
    html += " (" + HtmlText(attachment.type) + ", " + std::to_string(attachment.data.size()) +
            " bytes)]\r\n";
    if (number == keep_) kept_ = std::move(attachment);
}

void ArticleBodyWriter::WriteMime(std::string& html) {
    const std::vector<html::MessageHeader> headers = {
        {"Content-Type", contentType_}, {"Content-Transfer-Encoding", transferEncoding_}};
    html::MessageContent content = html::ReadMessageBody(headers, raw_, charset_);
    raw_.clear();
    for (const html::MessageText& text : content.texts) {
        // HTML parts are shown as their source: this page loads nothing the article names.
        std::string_view rest = text.utf8;
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            protocols::AppendTextWithLinks(line, html);
            html += "\r\n";
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        }
    }
    for (html::MessageAttachment& attachment : content.attachments)
        AddAttachment(std::move(attachment), html);
    if (cut_) html += "[The rest of the article is longer than this page shows.]\r\n";
}

void ArticleBodyWriter::End(std::string& html) {
    if (mime_) {
        WriteMime(html);
        started_ = false;
        html += "</pre><hr size=4>\r\n";
        return;
    }
    if (started_) decoder_->Decode("\n", decoded_);
    decoder_->Finish(decoded_);
    WriteLines(html);
    if (holding_) ReleaseUuencoded(html);  // a block without its "end"
    protocols::AppendTextWithLinks(decoded_, html);
    decoded_.clear();
    started_ = false;
    html += "</pre><hr size=4>\r\n";
}

}  // namespace corvane::news
