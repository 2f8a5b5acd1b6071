#pragma once
// A document's text quoted into a reply, for the mail and news compose windows.

#include <string>
#include <string_view>

namespace corvane::protocols {

// With a sender (the From of an article or message being answered): the line sender + " wrote:",
// and the text's lines up to and including its first empty line (the header) are skipped. Every
// other line becomes ">" and the line. Lines end in a line feed; a line end at the very end of
// the text makes no extra quoted line. Line ends of the text may be CR LF, LF or CR.
std::string QuoteText(std::string_view text, std::string_view sender);

}  // namespace corvane::protocols
