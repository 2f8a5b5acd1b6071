#pragma once
// One line of an XOVER answer: number, subject, from, date, message-id, references, bytes and
// lines, separated by tabs. Texts are kept as the server sent them; the pages escape them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::news {

struct ArticleEntry {
    std::int64_t number = 0;
    std::string messageId;  // without its angle brackets
    std::string subject;
    std::string author;       // the display form of From
    std::string reference;    // the last message-id of References, without brackets; may be empty
    std::int64_t lines = -1;  // -1 when the Lines field does not begin with a digit
    int day = 0;
    int month = 12;  // 0 to 11 for "Jan" to "Dec"; 12 when the month name is not known
    int depth = 1;   // nesting in the thread list, 1 at the top
};

// The entry of one overview line; nullopt when the line lacks a field or a "<...>" message-id.
std::optional<ArticleEntry> ParseOverviewLine(std::string_view line);

// The display form of a From value: the comment inside "(...)", else the name before "<", else the
// address between "<" and ">" when it comes first, else the whole value.
std::string AuthorDisplay(std::string_view from);

}  // namespace corvane::news
