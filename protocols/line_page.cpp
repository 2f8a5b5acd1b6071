#include "protocols/line_page.h"

#include <algorithm>
#include <cstring>

#include "core/status.h"
#include "protocols/pending_text.h"

namespace corvane::protocols {

const core::CRuntimeClass CHTLinePage::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTLinePage, CHTTCP>("CHTLinePage");

CHTLinePage::CHTLinePage() {
    SetBuffer(pageBuffer_, kPageBufferSize);
}

bool CHTLinePage::StartPage(std::string header) {
    pending_ = std::move(header);
    taken_ = 0;
    SetReplyHandler(&CHTLinePage::OnLine);
    SetDataSource(&CHTLinePage::PageSource);
    if (!StartOwnPage()) {
        error = core::kFailure;
        return false;
    }
    return true;
}

void CHTLinePage::EndPage() {
    ended_ = true;
    SetReplyHandler(static_cast<void (CHTLinePage::*)(int)>(nullptr));
}

void CHTLinePage::OnLine(int result) {
    if (ended_) return;
    if (result == core::kEndOfData) {
        PageEnd(pending_);
        EndPage();
    } else if (result < 0) {
        endStatus_ = result;
        EndPage();
    } else {
        PageLine(Line(), LineIsContinuation(), pending_);
    }
    if (request != nullptr) request->Wake();
}

std::int32_t CHTLinePage::PageSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (const std::int32_t count = TakePendingText(pending_, taken_, destination, maxLength))
        return count;
    if (!ended_) return core::kNeedMoreData;
    if (endStatus_ < 0) error = endStatus_;
    return endStatus_;
}

}  // namespace corvane::protocols
