#pragma once
// The article page: a table of the article's Subject, Date, From (a mailto link), Organization,
// Newsgroups (each a news link) and References (numbered news links), then the body as
// preformatted text whose URLs are links.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "html/mime_message.h"

namespace corvane::html {
class CharsetDecoder;
}

namespace corvane::news {

struct ArticleHeaders {
    std::string subject;
    std::string date;
    std::string from;
    std::string organization;
    std::string newsgroups;
    std::string references;
    std::string messageId;
    std::string contentType;
    std::string transferEncoding;
};

// Collects the header lines of an article, folded lines joined to the header they continue.
// Header names match without regard to case. A header longer than the cap is dropped whole.
class ArticleHeaderReader {
  public:
    // One delivered line (or a later piece of a long one) before the blank line.
    void Add(std::string_view piece, bool continuation);
    // The headers once the blank line (or the end of the article) has come.
    ArticleHeaders Finish();

  private:
    void Store();
    std::string current_;
    bool dropped_ = false;
    ArticleHeaders headers_;
};

// The page up to the body, in UTF-8: title, body line, header table and the start of the body.
// Header values are decoded (encoded words, else the article's character set).
std::string ArticleHeaderHtml(const ArticleHeaders& headers, std::string_view charset = {});

// The body's lines as HTML in UTF-8, read in the article's character set: each line ends in
// CR LF; a later piece of a long line continues it. A MIME body (multipart, base64 or
// quoted-printable) is collected whole, up to kMaxMimeBody bytes, and written decoded at the end,
// its text parts as text and its other parts listed by name, type and size. In a plain body, a
// uuencoded block ("begin 644 name" ... "end", held up to kMaxMimeBody bytes) is listed the same
// way in its place. Attachments are numbered from 1 in the order they are listed.
class ArticleBodyWriter {
  public:
    static constexpr std::size_t kMaxMimeBody = 32u << 20;

    // The writer for an article with these headers.
    static ArticleBodyWriter For(const ArticleHeaders& headers);
    explicit ArticleBodyWriter(std::string_view charset = {});
    ~ArticleBodyWriter();
    ArticleBodyWriter(ArticleBodyWriter&&) noexcept;
    ArticleBodyWriter& operator=(ArticleBodyWriter&&) noexcept;

    // Lists attachments as links that save them: the article's address (escaped for a link)
    // + "/" + number + "/" + name. Without it they are listed as text.
    void LinkAttachments(std::string articleLink) { link_ = std::move(articleLink); }
    // Keeps the decoded bytes of attachment `number` besides listing it.
    void KeepAttachment(std::size_t number) { keep_ = number; }

    void Line(std::string_view text, bool continuation, std::string& html);
    void End(std::string& html);

    // The attachment kept, after End; nullopt when the article had no such attachment.
    std::optional<html::MessageAttachment> TakeKeptAttachment() { return std::move(kept_); }

  private:
    void WriteLines(std::string& html);
    void WriteLine(std::string_view line, std::string& html);
    // Writes the held lines: the uuencoded block they make as an attachment, the rest as text.
    void ReleaseUuencoded(std::string& html);
    void WriteMime(std::string& html);
    void AddAttachment(html::MessageAttachment attachment, std::string& html);

    std::unique_ptr<html::CharsetDecoder> decoder_;
    bool mime_ = false;
    std::string charset_;
    std::string contentType_;
    std::string transferEncoding_;
    std::string raw_;  // the MIME body as it came
    bool cut_ = false;
    std::string decoded_;  // decoded text not yet written
    bool started_ = false;
    std::string uuencoded_;  // the lines from a "begin" line on, until its "end"
    bool holding_ = false;
    std::string link_;
    std::size_t listed_ = 0;
    std::size_t keep_ = 0;
    std::optional<html::MessageAttachment> kept_;
};

}  // namespace corvane::news
