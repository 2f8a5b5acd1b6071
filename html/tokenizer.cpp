#include "html/tokenizer.h"

#include "html/chars.h"
#include "html/entities.h"

namespace corvane::html {
namespace {

// Modes after whose start tag exactly one line end is dropped.
bool DropsLineEndAfterStartTag(int mode) {
    switch (mode) {
        case tag::kListing:
        case tag::kOption:
        case tag::kPlaintext:
        case tag::kPre:
        case tag::kTextarea:
        case tag::kXmp:
            return true;
        default:
            return false;
    }
}

bool HidesContent(int mode) {
    return mode == tag::kStyle || mode == tag::kScript;
}

// The final '/' of "<br/>" or "<img src="x" />" marks an empty tag. One that ends an unquoted
// value ("<a href=dir/>") belongs to the value.
bool EndsWithEmptyTagSlash(std::string_view tag) {
    if (tag.size() < 2 || tag.back() != '/') return false;
    std::size_t wordStart = tag.size() - 1;
    while (wordStart > 0 && !IsSpace(static_cast<unsigned char>(tag[wordStart - 1]))) --wordStart;
    const std::string_view lastWord = tag.substr(wordStart);
    return lastWord.find('=') == std::string_view::npos ||
           lastWord.find('"') != std::string_view::npos;
}

}  // namespace

void CHTMLTokenizer::SetMode(int mode) {
    mode_ = mode;
    ordinaryMode_ = mode != tag::kOption && mode != tag::kSelect && mode != tag::kPlaintext &&
                    mode != tag::kTextarea && !HidesContent(mode);
}

int CHTMLTokenizer::FeedSlow(int ch, bool preformatted) {
    switch (state_) {
        case kChunkDelivered:
            buffer_.clear();
            state_ = kInText;
            return TextByMode(ch, preformatted);
        case kInText:
            return TextByMode(ch, preformatted);
        case kAfterLess:
            buffer_.clear();
            buffer_.push_back('<');
            // "<?...>" is a processing instruction: read like a declaration and never shown.
            if (ch == '/' || ch == '!' || ch == '?') {
                buffer_.push_back(static_cast<char>(ch));
                state_ = ch == '/' ? kAfterLessSlash : kInTag;
                return kTokenNone;
            }
            return AfterLess(ch, preformatted);
        case kAfterLessSlash:
            return AfterLess(ch, preformatted);
        case kInTag:
            return InTag(ch, preformatted);
        case kAfterTag:
            return AfterTag(ch, preformatted);
        case kPlainCr:
        case kPlainLf:
            return PlainLineEnd(ch);
        default:
            return PreLineEnd(ch);
    }
}

int CHTMLTokenizer::AfterLess(int ch, bool preformatted) {
    if (IsLetter(static_cast<unsigned char>(ch))) {
        state_ = kInTag;
        return InTag(ch, preformatted);
    }
    // Not a tag: the "<" or "</" already collected stays as text.
    state_ = kInText;
    return TextByMode(ch, preformatted);
}

int CHTMLTokenizer::InTag(int ch, bool preformatted) {
    if (ch == 0) {
        // The data ended inside a tag: what was collected is delivered as text.
        state_ = kInText;
        return TextByMode(ch, preformatted);
    }
    if (ch != '>' || InsideComment()) {
        AppendFoldingCrLf(ch);
        return kTokenNone;
    }
    return AcceptTag(CompleteTag());
}

// A comment opened by "<!--" ends only at "-->": commented-out markup must stay hidden.
bool CHTMLTokenizer::InsideComment() const {
    const std::string_view text = buffer_;
    return text.starts_with("<!--") && !(text.size() >= 6 && text.ends_with("--"));
}

int CHTMLTokenizer::AcceptTag(int number) {
    const bool swallowsTags = mode_ == tag::kListing || mode_ == tag::kXmp ||
                              mode_ == tag::kSelect ||
                              (mode_ == tag::kTextarea && number != tag::kTextarea);
    if (swallowsTags) {
        const bool accepted =
            number == mode_ + kEndTagFlag || (mode_ == tag::kSelect && number == tag::kOption);
        if (!accepted) {
            state_ = kInText;
            if (mode_ == tag::kSelect) {
                buffer_.clear();
            } else {
                buffer_.push_back('>');
            }
            return kTokenNone;
        }
    }
    // "<script/>" has no content to hide.
    SetMode(selfClosing_ && HidesContent(number) ? 0 : number);
    state_ = kAfterTag;
    droppedCr_ = false;
    return number;
}

int CHTMLTokenizer::AfterTag(int ch, bool preformatted) {
    buffer_.clear();
    state_ = kInText;
    const bool crDroppedBefore = droppedCr_;
    droppedCr_ = false;
    if (DropsLineEndAfterStartTag(mode_)) {
        if (ch == '\n') return kTokenNone;
        if (ch == '\r' && !crDroppedBefore) {
            state_ = kAfterTag;
            droppedCr_ = true;
            return kTokenNone;
        }
    }
    return TextByMode(ch, preformatted);
}

int CHTMLTokenizer::PlainLineEnd(int ch) {
    buffer_.clear();
    if (state_ == kPlainCr && ch == '\n') {
        state_ = kInText;
        return TOKEN_LINE_BREAK;
    }
    state_ = kInText;
    PlainText(ch);
    return TOKEN_LINE_BREAK;
}

int CHTMLTokenizer::PreLineEnd(int ch) {
    buffer_.clear();
    const bool completesCrLf = state_ == kPreCr && ch == '\n';
    state_ = kInText;
    if (!completesCrLf) PreformattedText(ch, kTokenNone);
    return TOKEN_LINE_BREAK;
}

int CHTMLTokenizer::TextByMode(int ch, bool preformatted) {
    switch (mode_) {
        case tag::kOption:
        case tag::kSelect:
            if (ch == '\n') {
                if (!buffer_.empty() && buffer_.back() == '\r') buffer_.pop_back();
                ch = ' ';
            }
            return Collect(ch, TOKEN_OPTION_TEXT);
        case tag::kPlaintext:
            return PlainText(ch);
        case tag::kStyle:
        case tag::kScript:
            return HiddenText(ch);
        case tag::kTextarea:
            if (ch == '\n') {
                if (buffer_.empty() || buffer_.back() != '\r') buffer_.push_back('\r');
                buffer_.push_back('\n');
                return kTokenNone;
            }
            return Collect(ch, TOKEN_TEXTAREA_TEXT);
        default:
            if (preformatted) return PreformattedText(ch, TOKEN_TEXT);
            return Collect(ch, TOKEN_TEXT);
    }
}

// Inside STYLE and SCRIPT every byte is dropped; the buffer only keeps what may still become
// the element's own end tag, which is then read as an ordinary tag.
int CHTMLTokenizer::HiddenText(int ch) {
    const std::string_view close = mode_ == tag::kStyle ? "</style" : "</script";
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '<') {
        buffer_.assign(1, '<');
    } else if (!buffer_.empty() && buffer_.size() < close.size() &&
               ToLower(byte) == static_cast<unsigned char>(close[buffer_.size()])) {
        buffer_.push_back(static_cast<char>(byte));
    } else if (buffer_.size() == close.size() && (IsSpace(byte) || ch == '>' || ch == '/')) {
        state_ = kInTag;
        return InTag(ch, false);
    } else {
        buffer_.clear();
    }
    return kTokenNone;
}

int CHTMLTokenizer::PlainText(int ch) {
    if (ch == '\r') {
        state_ = kPlainCr;
        return TOKEN_TEXT;
    }
    if (ch == '\n' || ch == 0) {
        state_ = kPlainLf;
        return TOKEN_TEXT;
    }
    buffer_.push_back(static_cast<char>(ch));
    return kTokenNone;
}

int CHTMLTokenizer::PreformattedText(int ch, int kind) {
    if (ch == '\n') {
        state_ = kPreLf;
        ch = 0;
    } else if (ch == '\r') {
        state_ = kPreCr;
        ch = 0;
    }
    return Collect(ch, kind);
}

int CHTMLTokenizer::Collect(int ch, int kind) {
    if (ch == 0 || ch == '<') {
        if (ch == '<') {
            state_ = kAfterLess;
        } else if (state_ == kInText) {
            // A 0 inside the data must not let the delivered text be delivered a second time.
            state_ = kChunkDelivered;
        }
        ExpandPendingEntities();
        return kind;
    }
    AppendFoldingCrLf(ch);
    if (ch == ' ' && buffer_.size() >= kChunkLength) {
        ExpandPendingEntities();
        state_ = kChunkDelivered;
        return kind;
    }
    return kTokenNone;
}

void CHTMLTokenizer::ExpandPendingEntities() {
    if (!entitiesPending_) return;
    entitiesPending_ = false;
    ExpandEntities(buffer_);
}

void CHTMLTokenizer::AppendFoldingCrLf(int ch) {
    if (ch == '&') entitiesPending_ = true;
    if (ch == '\n' && !buffer_.empty() && buffer_.back() == '\r') {
        buffer_.back() = '\n';
    } else {
        buffer_.push_back(static_cast<char>(ch));
    }
}

int CHTMLTokenizer::CompleteTag() {
    // The buffer holds "<" and the tag's characters. Comments, declarations and processing
    // instructions yield no tag.
    selfClosing_ = false;
    if (buffer_.size() > 1 && (buffer_[1] == '!' || buffer_[1] == '?')) return 0;
    std::size_t nameStart = 1;
    if (EndsWithEmptyTagSlash(buffer_)) {
        buffer_.pop_back();
        selfClosing_ = true;
    }
    int endFlag = 0;
    if (buffer_.size() > 1 && buffer_[1] == '/') {
        endFlag = kEndTagFlag;
        nameStart = 2;
    }
    if (expandTagEntities_) {
        ExpandPendingEntities();
    } else {
        entitiesPending_ = false;
    }
    const int number = LookupTag(std::string_view(buffer_).substr(nameStart));
    return number == 0 ? 0 : number + endFlag;
}

}  // namespace corvane::html
