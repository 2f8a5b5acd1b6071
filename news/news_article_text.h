#pragma once
// The text of a news article the Post News window composes: the headers a news server and its
// readers need, an empty line, the body. Lines end in CR LF; dot-stuffing happens on the way out.

#include <string>
#include <string_view>

namespace corvane::news {

struct NewsArticleFields {
    std::string address;     // the "E-Mail Address" setting
    std::string name;        // the "Mail Name" setting, may be empty
    std::string newsgroups;  // as typed: one group or several separated by commas
    std::string subject;     // UTF-8
    std::string references;  // message-ids of a follow-up, empty for a new article
    std::string body;        // UTF-8, with the edit's line ends
    bool attachment = false;
};

// Fields that go into header lines or the GROUP command hold no CR, LF or NUL (which would
// start a header or a command of their own). The body may hold anything.
bool HasSafeHeaderFields(const NewsArticleFields& fields);

// The article: From, Subject, References (when any), Newsgroups, X-Newsreader, the MIME headers
// (UTF-8 text; 7bit, 8bit or quoted-printable as the body needs), an empty line, the body ended by
// CR LF, and one more empty line before an attachment. A non-ASCII subject or name is written in
// RFC 2047 encoded words. Call only with safe header fields.
std::string ComposeNewsArticle(const NewsArticleFields& fields);

}  // namespace corvane::news
