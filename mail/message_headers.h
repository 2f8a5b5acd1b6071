#pragma once
// What the mail list shows of a received message, read from its header lines as they arrive:
// the subject, the sender (cut after the first ">"), the date without seconds and zone, and the
// Message-ID as the hexadecimal key that "mailid.ini" remembers.

#include <string>
#include <string_view>

namespace corvane::mail {

struct MessageSummary {
    std::string subject;
    std::string from;
    std::string date;
    std::string key;  // the Message-ID, two upper-case hex digits per byte; empty when none
};

// Takes one whole header line (without its line end) into the summary. Header names are matched
// without regard to case and must be followed by ":" ("Message-ID" and "Message-Id" are the same
// header).
void ReadSummaryHeader(std::string_view line, MessageSummary& summary);

// "Mon, 7 Dec 2026 10:20:30 +0000" gives "7 Dec 2026 10:20".
std::string ShortDate(std::string_view value);

std::string MessageKey(std::string_view messageId);

}  // namespace corvane::mail
