#include "core/convertor.h"

#include "core/request.h"

namespace corvane::core {

const CRuntimeClass CHTConvertor::kRuntimeClass =
    MakeAbstractRuntimeClass<CHTConvertor, CObject>("CHTConvertor");

void CHTConvertor::Finish(int status) {
    if (request != nullptr) request->Stop(status);
}

CHTProtocol* CHTConvertor::Protocol() const {
    return request != nullptr ? request->protocol.get() : nullptr;
}

}  // namespace corvane::core
