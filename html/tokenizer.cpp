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

}  // namespace

void CHTMLTokenizer::SetMode(int mode) {
    mode_ = mode;
    ordinaryMode_ = mode != tag::kOption && mode != tag::kSelect && mode != tag::kPlaintext &&
                    mode != tag::kTextarea;
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
            if (ch == '/' || ch == '!') {
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
    if (ch != '>') {
        AppendFoldingCrLf(ch);
        return kTokenNone;
    }
    return AcceptTag(CompleteTag());
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
    SetMode(number);
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
    // The buffer holds "<" and the tag's characters.
    std::size_t nameStart = 1;
    if (buffer_.size() > 1 && buffer_[1] == '!') {
        // A comment or declaration. It yields a tag only through what follows its closing
        // "--", which normally is nothing.
        std::size_t search = 2;
        if (buffer_.compare(2, 2, "--") == 0) search = 4;
        const std::size_t close = buffer_.find("--", search);
        if (close == std::string::npos) return 0;
        buffer_.erase(1, close + 2 - 1);
    }
    int endFlag = 0;
    if (buffer_.size() > 1 && buffer_[1] == '/') {
        endFlag = kEndTagFlag;
        nameStart = 2;
    }
    ExpandPendingEntities();
    const int number = LookupTag(std::string_view(buffer_).substr(nameStart));
    return number == 0 ? 0 : number + endFlag;
}

}  // namespace corvane::html
