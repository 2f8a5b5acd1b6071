#pragma once
// Body text as quoted-printable, for messages whose text a server could not take as it is: bytes
// above 127 (UTF-8 text) or lines longer than the 998 bytes a mail or news line may hold.

#include <string>
#include <string_view>

namespace corvane::protocols {

// True when the text can go out as 7bit: only bytes 1 to 127 and no line (between CR or LF) over
// 998 bytes.
bool FitsSevenBit(std::string_view text);

// Appends the text quoted-printable to `out`. Each line end of the text (CR LF, LF or CR) is a
// hard line end, written as CR LF; "=", bytes outside printable ASCII and a space or tab before a
// line end are written "=XX"; longer lines are cut with soft line ends ("=" CR LF) so that no
// written line exceeds 76 characters. Ends with the text's own last line end, if any.
void AppendQuotedPrintable(std::string_view text, std::string& out);

}  // namespace corvane::protocols
