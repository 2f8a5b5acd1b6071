#pragma once
// The article page: a table of the article's Subject, Date, From (a mailto link), Organization,
// Newsgroups (each a news link) and References (numbered news links), then the body as
// preformatted text whose URLs are links.

#include <cstddef>
#include <string>
#include <string_view>

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

// The page up to the body: title, body line, header table and the start of the body.
std::string ArticleHeaderHtml(const ArticleHeaders& headers);
// The body's lines as HTML: each line ends in CR LF; a later piece of a long line continues it.
class ArticleBodyWriter {
  public:
    void Line(std::string_view text, bool continuation, std::string& html);
    void End(std::string& html);

  private:
    bool lineOpen_ = false;
};

// The address a From value names: between "<" and ">", else the value itself up to a space.
std::string FromAddress(std::string_view from);

}  // namespace corvane::news
