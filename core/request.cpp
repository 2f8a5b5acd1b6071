#include "core/request.h"

#include <algorithm>

#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/status.h"

namespace corvane::core {

const CRuntimeClass CHTRequest::kRuntimeClass =
    MakeAbstractRuntimeClass<CHTRequest, CObject>("CHTRequest");

CHTRequest::CHTRequest(CHTHostServices& host, const CHTAddress& parsed, int requestMethod,
                       COvalonDoc* requestOwner)
    : address(parsed),
      canonicalUrl(FormatAddress(parsed)),
      owner(requestOwner),
      method(requestMethod),
      host_(host) {}

CHTRequest::~CHTRequest() {
    if (protocol != nullptr) protocol->Abort();
}

void CHTRequest::Wake() {
    waiting.WakeAll(host_.Scheduler());
}

int CHTRequest::WaitFor(CHTTask& task) {
    waiting.PushBack(task);
    return kStepWait;
}

void CHTRequest::Stop(std::optional<int> newStatus) {
    if (protocol != nullptr) {
        protocol->Abort();
        protocol->ReleaseWaitCursor();
        if (protocol->pumpTask != nullptr) host_.Scheduler().Cancel(*protocol->pumpTask);
        host_.Scheduler().DeleteLater(std::move(protocol));
    }
    if (newStatus.has_value()) status = static_cast<std::int16_t>(*newStatus);
    Wake();
}

void CHTRequest::MarkSeen() {
    if (key != nullptr) key->visitTime = host_.Now();
    if (cacheEntry != nullptr) cacheEntry->Touch(*this);
    seenSinceStart = true;
}

void CHTRequest::SetResult(int resultKind, std::unique_ptr<CObject> result) {
    kind = resultKind;
    // A window may be drawing the old document from inside this call chain.
    host_.Scheduler().DeleteLater(std::move(document));
    document = std::move(result);
    ++documentGeneration;
}

void CHTRequest::ForgetDocument() {
    kind = kKindNothing;
    status = 0;
    host_.Scheduler().DeleteLater(std::move(document));
    ++documentGeneration;
}

int CHTRequest::StartRetrieval(bool reload, bool preferStored, bool embedded) {
    if (reload) {
        ForgetDocument();
        if (cacheEntry != nullptr) cacheEntry->Drop(*this);
    } else if (status < 0) {
        return kRetrievalFailed;
    }
    if (protocol != nullptr) return kRetrievalRunning;

    if (!reload && document != nullptr &&
        (preferStored || host_.displaysInternally(convertorIndex))) {
        status = 0;
        if (kind != kKindImage) return kRetrievalRunning;
        if (imageDisplayDepth == host_.displayDepth) return kRetrievalRunning;
        imageDisplayDepth = host_.displayDepth;
    }

    protocol = CreateProtocol(*this, reload, embedded);
    if (protocol == nullptr) return kRetrievalFailed;
    CHTProtocol* opened = protocol.get();
    int answer = opened->Open();
    if (answer == kOpenFailed) {
        // Open may already have stopped the request and let go of the protocol.
        int code = std::clamp(opened->error, -32768, -1);
        if (protocol.get() == opened) Stop(code);
        return kRetrievalFailed;
    }
    if (answer == kOpenComplete) {
        if (protocol.get() != opened) return kRetrievalDone;
        opened->running = true;
        return kRetrievalRunning;
    }
    return answer;
}

int CHTRequest::Pump() {
    return protocol != nullptr ? protocol->Pump() : -1;
}

int StartEmbeddedRequest(CHTRequest& request, bool reload, CHTTask& asker) {
    if (request.kind == kKindInline && request.status < 0) return -1;
    // A retrieval that failed before its data keeps its protocol; let go of it, or the asker
    // would wait for a wake-up that never comes (a server dropping a connection unanswered).
    if (request.status < 0 && request.protocol != nullptr) request.Stop(std::nullopt);
    if (request.protocol == nullptr) {
        if (request.document != nullptr) return request.kind == kKindImage ? 1 : -1;
        int started = request.StartRetrieval(reload, false, true);
        if (started == kRetrievalFailed) return -1;
        if (started == kRetrievalConnecting && request.protocol != nullptr) {
            request.protocol->CreatePumpTask();
        } else if (started == kRetrievalRunning && request.protocol != nullptr) {
            int pumped = request.protocol->StartPumping();
            if (pumped != 0) return pumped;
        }
    } else if (request.kind == kKindImage && request.document != nullptr) {
        return 1;
    }
    asker.lastResult = kStepWait;
    request.WaitFor(asker);
    return 0;
}

}  // namespace corvane::core
