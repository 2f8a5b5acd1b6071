#include "core/signature_probes.h"

namespace corvane::core {

bool HasGifSignature(const unsigned char* bytes) {
    return bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F' && bytes[3] == '8' &&
           (bytes[4] == '7' || bytes[4] == '9') && bytes[5] == 'a';
}

bool HasJpegSignature(const unsigned char* bytes) {
    return bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF && (bytes[3] & 0xF0) == 0xE0;
}

}  // namespace corvane::core
