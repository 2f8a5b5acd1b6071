#include "protocols/outgoing_pieces.h"

#include <algorithm>

#include "protocols/quoted_printable_encoder.h"

namespace corvane::protocols {

OutgoingPieces::OutgoingPieces(std::string_view text, std::unique_ptr<CUUEncoder> attachment,
                               bool quotedPrintable)
    : encoder_(std::move(attachment)), quotedPrintable_(quotedPrintable) {
    stuffer_.Append(text, buffer_);
    if (!stuffer_.AtLineStart()) stuffer_.Append("\r\n", buffer_);
    if (encoder_ == nullptr) {
        stuffer_.Finish(buffer_);
        ended_ = true;
    }
}

bool OutgoingPieces::Next(std::string& piece) {
    if (failed_) return false;
    if (sent_ == buffer_.size()) {
        buffer_.clear();
        sent_ = 0;
    }
    while (encoder_ != nullptr && buffer_.size() - sent_ < kPieceSize) {
        const int length = encoder_->Step();
        if (length < 0) {
            // No "." follows, so the server drops what it received.
            failed_ = true;
            encoder_.reset();
            return false;
        }
        if (length == 0) {
            encoder_.reset();
            stuffer_.Finish(buffer_);
            ended_ = true;
            break;
        }
        if (quotedPrintable_) {
            std::string line(encoder_->Line());
            line += "\r\n";
            std::string encoded;
            AppendQuotedPrintable(line, encoded);
            stuffer_.Append(encoded, buffer_);
        } else {
            stuffer_.AppendLine(encoder_->Line(), buffer_);
        }
    }
    if (sent_ == buffer_.size()) return false;
    const std::size_t size = std::min(kPieceSize, buffer_.size() - sent_);
    piece.assign(buffer_, sent_, size);
    sent_ += size;
    return true;
}

}  // namespace corvane::protocols
