#pragma once
// CHTMLTokenizer turns a stream of 8-bit characters into tokens, one character at a time, so a
// document is parsed while it arrives. There is no look-ahead: a token is complete when the
// character that ends it arrives, and its text stays in Text() until the next character is fed.
//
// Order of calls: Feed every byte of the data (never 0 for a real byte: 0 means the end), then
// Feed(0) once so the last text is delivered. After a non-zero result, read Text() at once.
//
// Token codes: TOKEN_TEXT, a tag number (start tag, text "<name attrs" without '>'), a tag
// number + kEndTagFlag (end tag, text "</name"), TOKEN_TEXTAREA_TEXT, TOKEN_OPTION_TEXT,
// TOKEN_LINE_BREAK (a line end in preformatted text or PLAINTEXT; it carries no text, and Text()
// may already hold the first byte of the next line).
//
// Memory: the buffer holds one token. Text chunks are cut at the first space after 256
// characters; a run without spaces, an unterminated tag or comment, or PLAINTEXT without line
// ends grows one token as large as the run (linear in the input, never more).

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "html/tags.h"

namespace corvane::html {

class CHTMLTokenizer {
  public:
    // Mode values that are not tag numbers: no special mode yet.
    static constexpr int kModeNone = 1;
    static constexpr std::size_t kChunkLength = 256;

    CHTMLTokenizer() { buffer_.reserve(2 * kChunkLength); }

    // ch: the next byte (1 to 255) or 0 for the end of the data. preformatted: the builder is
    // inside PRE. Returns a token code, 0 when nothing is complete yet.
    int Feed(int ch, bool preformatted) {
        // Most characters are plain text or the inside of a tag; they only get appended.
        const auto byte = static_cast<unsigned char>(ch);
        if (state_ == kInText && ordinaryMode_ && !preformatted &&
            (kPlainTextByte[byte] || (byte == ' ' && buffer_.size() + 1 < kChunkLength))) {
            buffer_.push_back(static_cast<char>(byte));
            return kTokenNone;
        }
        if (state_ == kInTag && kPlainTagByte[byte]) {
            buffer_.push_back(static_cast<char>(byte));
            return kTokenNone;
        }
        return FeedSlow(ch, preformatted);
    }

    // Takes the longest run at the start of data that Feed would only append, and answers its
    // length: the caller feeds the byte after it one at a time. Same result as feeding the run
    // byte by byte, at a fraction of the cost.
    std::size_t FeedPlainRun(const unsigned char* data, std::size_t length, bool preformatted) {
        std::size_t taken = 0;
        if (state_ == kInText && ordinaryMode_ && !preformatted) {
            // A space is plain only while the chunk has room for it.
            const std::size_t room =
                buffer_.size() + 1 < kChunkLength ? kChunkLength - 1 - buffer_.size() : 0;
            const std::size_t spacesAllowed = room < length ? room : length;
            while (taken < spacesAllowed && kPlainTextOrSpace[data[taken]]) ++taken;
            if (taken == spacesAllowed) {
                while (taken < length && kPlainTextByte[data[taken]]) ++taken;
            }
        } else if (state_ == kInTag) {
            while (taken < length && kPlainTagByte[data[taken]]) ++taken;
        }
        buffer_.append(reinterpret_cast<const char*>(data), taken);
        return taken;
    }

    // Off: tag text keeps its character references as written, so a reader can tell a quote
    // written as "&quot;" inside a value from the quote that ends it, and expand the value itself.
    void SetExpandTagEntities(bool on) { expandTagEntities_ = on; }

    std::string_view Text() const { return buffer_; }
    int Mode() const { return mode_; }
    int State() const { return state_; }

  private:
    enum State : int {
        kChunkDelivered = 0,
        kInText = 1,
        kAfterLess = 2,
        kAfterLessSlash = 3,
        kInTag = 4,
        kAfterTag = 5,
        kPlainCr = 6,
        kPlainLf = 7,
        kPreCr = 8,
        kPreLf = 9,
    };

    int FeedSlow(int ch, bool preformatted);
    int AfterLess(int ch, bool preformatted);
    int InTag(int ch, bool preformatted);
    int AcceptTag(int number);
    int AfterTag(int ch, bool preformatted);
    int PlainLineEnd(int ch);
    int PreLineEnd(int ch);
    int TextByMode(int ch, bool preformatted);
    int HiddenText(int ch);
    int PlainText(int ch);
    int PreformattedText(int ch, int kind);
    int Collect(int ch, int kind);
    void AppendFoldingCrLf(int ch);
    int CompleteTag();
    bool InsideComment() const;
    void SetMode(int mode);

    // Bytes that text and tags take without a second look: not 0, a line end, a space (text
    // chunks end at one), '<' or '>', or '&' (the buffer then needs expanding).
    static constexpr auto kPlainTextByte = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c) {
            table[c] = c != 0 && c != '\n' && c != '\r' && c != ' ' && c != '<' && c != '&';
        }
        return table;
    }();
    static constexpr auto kPlainTextOrSpace = [] {
        std::array<bool, 256> table = kPlainTextByte;
        table[' '] = true;
        return table;
    }();
    static constexpr auto kPlainTagByte = [] {
        std::array<bool, 256> table{};
        for (int c = 0; c < 256; ++c) table[c] = c != 0 && c != '\n' && c != '>' && c != '&';
        return table;
    }();

    void ExpandPendingEntities();

    std::string buffer_;
    // An '&' entered the buffer since it was last expanded or emptied.
    bool entitiesPending_ = false;
    int mode_ = kModeNone;
    int state_ = kInText;
    // No mode that treats text specially (OPTION, SELECT, PLAINTEXT, TEXTAREA, STYLE, SCRIPT) is
    // in force.
    bool ordinaryMode_ = true;
    // In state 5 after a CR was dropped: only an LF may still be dropped.
    bool droppedCr_ = false;
    // The tag just completed was written as an empty XML-style tag ("<br/>").
    bool selfClosing_ = false;
    bool expandTagEntities_ = true;
};

}  // namespace corvane::html
