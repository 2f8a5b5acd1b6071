#pragma once
// Signature probes of the built-in image types: they recognise data by its first bytes when no
// content type names it.

#include <cstddef>

namespace corvane::core {

class CHTProtocol;

// Bytes each probe peeks at.
inline constexpr std::size_t kGifProbeLength = 7;
inline constexpr std::size_t kJpegProbeLength = 4;

// "GIF8", then "7" or "9", then "a".
bool HasGifSignature(const unsigned char* bytes);
// 0xFF 0xD8 0xFF, then a byte whose high four bits are 0xE.
bool HasJpegSignature(const unsigned char* bytes);

// Registry probes: kProbeMatch, kProbeTooShort while fewer bytes have arrived, kProbeNoMatch.
int ProbeGif(CHTProtocol& protocol);
int ProbeJpeg(CHTProtocol& protocol);

}  // namespace corvane::core
