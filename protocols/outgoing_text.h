#pragma once
// Message text on its way to a mail or news server, which ends the text at a line holding a
// single ".". Every line end of the source (CR LF, a bare LF or a bare CR) goes out as CR LF and
// every line that begins with "." gets one more in front, so no source text can end the data early
// or smuggle a second message behind it.

#include <string>
#include <string_view>

namespace corvane::protocols {

class OutgoingText {
  public:
    // Appends `text` to `out`, normalised and stuffed. The text may arrive in pieces split
    // anywhere (a CR at the end of one piece and an LF at the start of the next make one line end).
    void Append(std::string_view text, std::string& out);
    // Appends `line` and a line end.
    void AppendLine(std::string_view line, std::string& out);
    // Ends an unfinished last line with CR LF, then appends the ".", CR LF that ends the data.
    void Finish(std::string& out);
    // True when everything appended so far ended with a line end (or nothing was appended).
    bool AtLineStart() const { return atLineStart_; }

  private:
    bool atLineStart_ = true;
    bool afterCr_ = false;
};

}  // namespace corvane::protocols
