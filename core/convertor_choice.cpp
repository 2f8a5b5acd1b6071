#include "core/protocol.h"

namespace corvane::core {

// Without a MIME type registry no convertor can be chosen: the data cannot flow, and the
// protocol fails the request.
bool CHTProtocol::ChooseConvertor(std::string_view fileName) {
    (void)fileName;
    return false;
}

}  // namespace corvane::core
