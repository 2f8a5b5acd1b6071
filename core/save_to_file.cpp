#include "core/save_to_file.h"

#include "core/ht_host_services.h"
#include "core/load_task.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/scheme_registry.h"
#include "core/status.h"

namespace corvane::core {

const CRuntimeClass CSaveToFileTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CSaveToFileTask, CHTTask>("CSaveToFileTask");

void SaveAddressToFile(CHTHostServices& host, std::string_view url, std::string target,
                       COvalonDoc* owner) {
    CHTRequest* request = host.GetRequest(url, nullptr, kMethodSaveToFile, owner);
    request->saveTarget = std::move(target);
    host.AdoptBackground(std::make_unique<CSaveToFileTask>(host, *request));
}

CSaveToFileTask::CSaveToFileTask(CHTHostServices& host, CHTRequest& request)
    : CHTTask(host.Scheduler()), host_(host) {
    SetRequest(request);
}

CSaveToFileTask::~CSaveToFileTask() {
    --request_->taskRefs;
    host_.ReleaseRequest(request_);
}

void CSaveToFileTask::SetRequest(CHTRequest& request) {
    CHTRequest* previous = request_;
    request_ = &request;
    ++request.taskRefs;
    if (previous != nullptr) {
        --previous->taskRefs;
        host_.ReleaseRequest(previous);
    }
}

int CSaveToFileTask::Run() {
    const int started = request_->StartRetrieval(false);
    if (IsRetired()) return kStepFinished;
    SetStep(&CSaveToFileTask::Check);
    switch (started) {
        case kRetrievalFailed:
            return Fail(kCannotConnect);
        case kRetrievalNothing:
            return End();
        case kRetrievalRunning:
        case kRetrievalDone:
            return kStepContinue;
        default:
            return request_->WaitFor(*this);
    }
}

int CSaveToFileTask::Check() {
    CHTRequest& request = *request_;
    // Handed off: the file convertor's copy of the request carries the download from here.
    if (request.kind == kKindHandedOff || request.status == kSilentEnd) return End();
    if (request.status < 0) return Fail(kCannotConnect);
    if (request.kind == kKindRedirect) return Redirect();
    const CHTProtocol* protocol = request.protocol.get();
    if (protocol != nullptr && protocol->convertor == nullptr) return request.WaitFor(*this);
    // The protocol made nothing at all: there are no bytes of the address to write.
    request.Stop(kSilentEnd);
    return Fail(kCannotComplete);
}

int CSaveToFileTask::Redirect() {
    CHTRequest& from = *request_;
    std::string location = from.canonicalUrl;
    from.canonicalUrl = FormatAddress(from.address);
    from.Stop();
    if (++redirections_ > kMaxRedirections) return Fail(kCannotConnect);
    CHTRequest* next = host_.GetRequest(location, nullptr, kMethodSaveToFile, from.owner);
    next->saveTarget = from.saveTarget;
    next->downgradedByRedirect =
        from.address.scheme == kSchemeHttps && next->address.scheme != kSchemeHttps;
    SetRequest(*next);
    SetStep(&CSaveToFileTask::Run);
    return kStepContinue;
}

int CSaveToFileTask::Fail(const char* message) {
    host_.Ui().ShowMessage(message + request_->canonicalUrl, platform::MessageButtons::kOk,
                           platform::MessageIcon::kStop);
    return End();
}

int CSaveToFileTask::End() {
    if (!IsRetired()) host_.EndBackground(*this);
    return kStepFinished;
}

}  // namespace corvane::core
