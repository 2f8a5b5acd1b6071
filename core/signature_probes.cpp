#include "core/signature_probes.h"

#include "core/convertor_registry.h"
#include "core/protocol.h"
#include "core/status.h"

namespace corvane::core {

bool HasGifSignature(const unsigned char* bytes) {
    return bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F' && bytes[3] == '8' &&
           (bytes[4] == '7' || bytes[4] == '9') && bytes[5] == 'a';
}

bool HasJpegSignature(const unsigned char* bytes) {
    return bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF && (bytes[3] & 0xF0) == 0xE0;
}

namespace {

int ProbeSignature(CHTProtocol& protocol, std::size_t length,
                   bool (*matches)(const unsigned char*)) {
    const std::uint8_t* bytes = protocol.Peek(static_cast<std::int32_t>(length));
    if (bytes == nullptr) return protocol.error == kNeedMoreData ? kProbeTooShort : kProbeNoMatch;
    return matches(bytes) ? kProbeMatch : kProbeNoMatch;
}

}  // namespace

int ProbeGif(CHTProtocol& protocol) {
    return ProbeSignature(protocol, kGifProbeLength, HasGifSignature);
}

int ProbeJpeg(CHTProtocol& protocol) {
    return ProbeSignature(protocol, kJpegProbeLength, HasJpegSignature);
}

}  // namespace corvane::core
