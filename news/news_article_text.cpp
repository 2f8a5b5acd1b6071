#include "news/news_article_text.h"

#include "protocols/header_word_encoder.h"
#include "protocols/outgoing_text.h"
#include "protocols/quoted_printable_encoder.h"
#include "protocols/whois_protocol.h"

namespace corvane::news {
namespace {

// News lines may be at most 998 bytes; NUL may not appear at all.
bool FitsEightBit(std::string_view text) {
    std::size_t line = 0;
    for (const char c : text) {
        if (c == '\0') return false;
        if (c == '\r' || c == '\n') {
            line = 0;
        } else if (++line > 998) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool HasSafeHeaderFields(const NewsArticleFields& fields) {
    for (const std::string* field :
         {&fields.address, &fields.name, &fields.newsgroups, &fields.subject, &fields.references}) {
        if (!protocols::IsSafeCommandText(*field)) return false;
    }
    return true;
}

std::string ComposeNewsArticle(const NewsArticleFields& fields) {
    std::string text = "From: " + protocols::FormatAddress(fields.name, fields.address) + "\r\n";
    text += "Subject: " + protocols::EncodeHeaderText(fields.subject) + "\r\n";
    if (!fields.references.empty()) text += "References: " + fields.references + "\r\n";
    text += "Newsgroups: " + fields.newsgroups + "\r\n";
    text += "X-Newsreader: Corvane News Reader\r\n";
    text += "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n";
    std::string body;
    const char* encoding = "7bit";
    if (protocols::FitsSevenBit(fields.body)) {
        body = fields.body;
    } else if (FitsEightBit(fields.body)) {
        encoding = "8bit";
        body = fields.body;
    } else {
        encoding = "quoted-printable";
        protocols::AppendQuotedPrintable(fields.body, body);
    }
    text += std::string("Content-Transfer-Encoding: ") + encoding + "\r\n\r\n";
    // Line ends become CR LF here; the dots are stuffed when the text is sent.
    for (std::size_t at = 0; at < body.size(); ++at) {
        const char c = body[at];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            if (c == '\r' && at + 1 < body.size() && body[at + 1] == '\n') ++at;
        } else {
            text += c;
        }
    }
    if (!body.empty() && !text.ends_with("\r\n")) text += "\r\n";
    if (fields.attachment) text += "\r\n";
    return text;
}

}  // namespace corvane::news
