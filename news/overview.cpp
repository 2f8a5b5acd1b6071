#include "news/overview.h"

#include <array>

#include "news/news_url.h"
#include "platform/ascii.h"

namespace corvane::news {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Day and month of a Date value: leading spaces skipped, a first word that is not a number
// (the weekday) skipped, then the day and the month name.
void ReadDate(std::string_view date, ArticleEntry& entry) {
    date = TrimAsciiBlanks(date);
    if (!date.empty() && !IsAsciiDigit(date.front())) {
        const std::size_t space = date.find(' ');
        date = space == std::string_view::npos ? std::string_view() : date.substr(space);
        date = TrimAsciiBlanks(date);
    }
    std::size_t at = 0;
    int day = 0;
    while (at < date.size() && IsAsciiDigit(date[at]) && day < 1000)
        day = day * 10 + (date[at++] - '0');
    entry.day = day;
    date = TrimAsciiBlanks(date.substr(at));
    const std::string_view month = date.substr(0, date.find(' '));
    entry.month = 12;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (EqualsIgnoreCase(month, kMonths[i])) entry.month = static_cast<int>(i);
    }
}

}  // namespace

std::string AuthorDisplay(std::string_view from) {
    if (const std::size_t open = from.find('('); open != std::string_view::npos) {
        const std::size_t close = from.find(')', open + 1);
        return std::string(from.substr(
            open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
    }
    if (const std::size_t angle = from.find('<'); angle != std::string_view::npos) {
        if (angle == 0) {
            const std::size_t close = from.find('>', 1);
            return std::string(from.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        }
        std::string_view name = TrimAsciiBlanks(from.substr(0, angle));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        return std::string(name);
    }
    return std::string(from);
}

std::optional<ArticleEntry> ParseOverviewLine(std::string_view line) {
    std::array<std::string_view, 8> fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t tab = line.find('\t');
        // The lines field may be the last one or be followed by further fields.
        if (tab == std::string_view::npos && i + 1 < fields.size()) return std::nullopt;
        fields[i] = line.substr(0, tab);
        line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    }
    ArticleEntry entry;
    entry.number = LeadingNumber(fields[0]);
    const std::string_view id = fields[4];
    const std::size_t open = id.find('<');
    const std::size_t close = open == std::string_view::npos ? open : id.find('>', open + 1);
    if (close == std::string_view::npos || close == open + 1) return std::nullopt;
    entry.messageId = id.substr(open + 1, close - open - 1);
    entry.subject = fields[1];
    entry.author = AuthorDisplay(fields[2]);
    ReadDate(fields[3], entry);
    const std::string_view references = TrimAsciiBlanks(fields[5]);
    if (const std::size_t last = references.rfind('<'); last != std::string_view::npos) {
        const std::size_t end = references.find('>', last + 1);
        entry.reference = references.substr(
            last + 1, end == std::string_view::npos ? std::string_view::npos : end - last - 1);
    } else {
        entry.reference = references;
    }
    if (!fields[7].empty() && IsAsciiDigit(fields[7].front()))
        entry.lines = LeadingNumber(fields[7]);
    return entry;
}

}  // namespace corvane::news
