#include "core/source_convertor.h"

#include "core/protocol.h"
#include "core/request.h"
#include "core/status.h"

namespace corvane::core {

const CRuntimeClass CSourceConvertor::kRuntimeClass =
    MakeRuntimeClass<CSourceConvertor, CHTConvertor>("CSourceConvertor");

CSourceConvertor::~CSourceConvertor() {
    // A load stopped before its end leaves no complete copy behind.
    if (writer_ != nullptr && !done_) writer_->End(kFailure);
}

void CSourceConvertor::Init(CHTRequest* servedRequest) {
    CHTConvertor::Init(servedRequest);
    if (servedRequest != nullptr) servedRequest->kind = kKindHandedOff;
}

int CSourceConvertor::Convert() {
    if (done_) return failed_ ? -1 : 1;
    CHTProtocol* protocol = Protocol();
    if (protocol == nullptr) return -1;
    if (writer_ == nullptr) writer_ = OpenCacheWriter(*request);
    for (std::int32_t budget = kBytesPerPass; budget > 0;) {
        std::int32_t length = budget;
        const std::uint8_t* block = protocol->GetBlock(length);
        if (block == nullptr) {
            if (protocol->error == kNeedMoreData) return -1;
            return End(protocol->error == kEndOfData ? kStatusOk : protocol->error);
        }
        writer_->Put(block, static_cast<std::size_t>(length));
        budget -= length;
    }
    // More to do: let the loop breathe, then come back at once.
    protocol->error = kYielded;
    return -1;
}

int CSourceConvertor::End(int status) {
    done_ = true;
    failed_ = status != kStatusOk;
    writer_->End(status);
    if (failed_) return -1;
    Finish(kStatusOk);
    return 1;
}

}  // namespace corvane::core
