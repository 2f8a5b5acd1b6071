#pragma once
// A message on its way to a mail or news server in pieces: the text (line ends normalised, dots
// stuffed), then the lines of an optional uuencoded attachment, then the "." line that ends the
// data. Attachment lines are made only while less than a piece is waiting, so a large file never
// sits in memory whole.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "protocols/outgoing_text.h"
#include "protocols/uu_encoder.h"

namespace corvane::protocols {

class OutgoingPieces {
  public:
    static constexpr std::size_t kPieceSize = 32 * 1024;

    // `text` as composed (any line ends); `attachment` may be null. A quoted-printable body
    // carries its attachment lines quoted-printable too, or a reader decoding the body would
    // spoil the "=" signs of the uuencoded lines.
    OutgoingPieces(std::string_view text, std::unique_ptr<CUUEncoder> attachment,
                   bool quotedPrintable = false);

    // The next piece, at most kPieceSize bytes: true with a piece, false when everything is out
    // or the attachment could not be read (Failed()).
    bool Next(std::string& piece);
    bool Failed() const { return failed_; }
    bool Finished() const { return ended_ && sent_ == buffer_.size(); }

  private:
    OutgoingText stuffer_;
    std::unique_ptr<CUUEncoder> encoder_;
    std::string buffer_;
    std::size_t sent_ = 0;
    bool quotedPrintable_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace corvane::protocols
