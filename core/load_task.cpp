#include "core/load_task.h"

#include <algorithm>

#include "core/address.h"
#include "core/ovalon_doc.h"
#include "core/ht_host_services.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/scheme_registry.h"
#include "core/status.h"

namespace corvane::core {
namespace {

void ReportFailure(CHTHostServices& host, const char* message, const CHTRequest& request) {
    host.Ui().ShowMessage(std::string(message) + request.canonicalUrl,
                          platform::MessageButtons::kOk, platform::MessageIcon::kStop);
}

}  // namespace

const CRuntimeClass CLoadTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CLoadTask, CHTTask>("CLoadTask");

CLoadTask::CLoadTask(COvalonDoc& window, CHTRequest& request, bool reload, bool remember)
    : CHTTask(window.Host().Scheduler()), window_(window), reload_(reload), remember_(remember) {
    SetRequest(request);
}

CLoadTask::~CLoadTask() {
    // The window may be gone by now: only the request and its host are touched.
    --request_->taskRefs;
    request_->Host().ReleaseRequest(request_, deleteRequest_);
}

void CLoadTask::SetRequest(CHTRequest& request) {
    CHTRequest* previous = request_;
    request_ = &request;
    ++request.taskRefs;
    if (previous != nullptr) {
        --previous->taskRefs;
        previous->Host().ReleaseRequest(previous);
    }
}

int CLoadTask::Run() {
    int started = request_->StartRetrieval(reload_);
    // Opening may ask the user something, and the window may close meanwhile.
    if (IsRetired()) return kStepFinished;
    switch (started) {
        case kRetrievalFailed:
            // Handed off while opening (the user cancelled the unknown-type question, or the
            // data went to a file): nothing failed, as when it happens after connecting.
            if (request_->kind == kKindHandedOff) {
                SetStep(&CLoadTask::Complete);
                return kStepContinue;
            }
            return Fail(kCannotConnect);
        case kRetrievalRunning:
            started_ = true;
            SetStep(&CLoadTask::CheckRequest);
            // Joining a retrieval that another window started and that is still connecting:
            // there is nothing to pump before its data starts to flow.
            if (request_->protocol != nullptr && !request_->protocol->running &&
                request_->protocol->convertor == nullptr && request_->status == 0 &&
                request_->kind == kKindNothing)
                return request_->WaitFor(*this);
            return kStepContinue;
        case kRetrievalDone:
            request_->MarkSeen();
            window_.EndLoad();
            return kStepFinished;
        case kRetrievalNothing:
            return FinishAndDeleteRequest();
        default:
            SetStep(&CLoadTask::CheckRequest);
            return request_->WaitFor(*this);
    }
}

int CLoadTask::CheckRequest() {
    CHTRequest& request = *request_;
    if (request.status == kSilentEnd) return FinishAndDeleteRequest();
    if (request.status < 0) {
        if (request.kind == kKindHandedOff || request.kind == kKindBackground) {
            SetStep(&CLoadTask::Complete);
            return kStepContinue;
        }
        return Fail(kCannotConnect);
    }
    request.MarkSeen();
    switch (request.kind) {
        case kKindRedirect:
            return Redirect();
        case kKindHandedOff:
            SetStep(&CLoadTask::Loading);
            return kStepContinue;
        case kKindBackground:
            request.Host().StartBackground(request);
            window_.EndLoad();
            return kStepFinished;
        default:
            break;
    }
    if (!started_ && request.protocol == nullptr) {
        window_.EndLoad();
        return kStepFinished;
    }
    window_.ShowRequest(request, remember_);
    if (IsRetired()) return kStepFinished;
    SetStep(&CLoadTask::Loading);
    return kStepContinue;
}

int CLoadTask::Redirect() {
    CHTRequest& from = *request_;
    std::string location = from.canonicalUrl;
    // The protocol wrote the new location over the canonical URL; the request keeps its own.
    from.canonicalUrl = FormatAddress(from.address);
    from.Stop();
    if (++redirections_ > kMaxRedirections) return Fail(kCannotConnect);
    CHTRequest* next = from.Host().GetRequest(location, nullptr, kMethodShared, from.owner);
    next->status = 0;
    next->downgradedByRedirect =
        from.address.scheme == kSchemeHttps && next->address.scheme != kSchemeHttps;
    SetRequest(*next);
    started_ = false;
    SetStep(&CLoadTask::Run);
    return kStepContinue;
}

int CLoadTask::Loading() {
    CHTRequest& request = *request_;
    request.Host().Ui().SetStatusText("Loading Document " + request.address.path + "...");
    CHTProtocol* protocol = request.protocol.get();
    if (protocol == nullptr) {
        SetStep(&CLoadTask::Complete);
        return kStepContinue;
    }
    int pumped = request.Pump();
    if (IsRetired()) return kStepFinished;
    // A stopped protocol stays readable until the step returns.
    switch (pumped) {
        case -1:
            if (IsPause(protocol->error)) return PauseStep(protocol->error);
            ReportFailure(request.Host(), kCannotComplete, request);
            if (IsRetired()) return kStepFinished;
            request.Stop();
            window_.View().Clear();
            window_.EndLoad();
            return kStepFinished;
        case 1:
            SetStep(&CLoadTask::Complete);
            return kStepContinue;
        default:
            SetStep(&CLoadTask::Complete);
            return request.WaitFor(*this);
    }
}

int CLoadTask::Complete() {
    CHTRequest& request = *request_;
    if (request.kind == kKindImage && request.document != nullptr) {
        window_.View().RepaintAndScrollTo(request.address.anchor);
    }
    if ((request.kind == kKindDocument || request.kind == kKindImage) &&
        request.document == nullptr) {
        ReportFailure(request.Host(), kCannotComplete, request);
        if (IsRetired()) return kStepFinished;
    }
    if (request.refreshSeconds >= 0) {
        std::string target = request.refreshUrl.empty() ? request.canonicalUrl : request.refreshUrl;
        // A page that reloads itself at once would load again and again at full speed.
        const bool itself = FormatAddress(ParseAddress(target)) == request.canonicalUrl;
        window_.StartRefresh(std::move(target),
                             itself ? std::max(request.refreshSeconds, 1) : request.refreshSeconds);
    }
    window_.StopLoad();
    return kStepFinished;
}

int CLoadTask::Fail(const char* message) {
    ReportFailure(request_->Host(), message, *request_);
    if (!IsRetired()) window_.EndLoad();
    return kStepFinished;
}

int CLoadTask::FinishAndDeleteRequest() {
    deleteRequest_ = true;
    window_.EndLoad();
    return kStepFinished;
}

// Client-pull refresh.

const CRuntimeClass CRefreshTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CRefreshTask, CHTTask>("CRefreshTask");

CRefreshTask::CRefreshTask(COvalonDoc& window, std::string url, int seconds)
    : CHTTask(window.Host().Scheduler()),
      window_(window),
      url_(std::move(url)),
      seconds_(seconds) {}

int CRefreshTask::Run() {
    if (seconds_ <= 0) {
        COvalonDoc::NavigateOptions options;
        options.reload = true;
        window_.Navigate(url_, std::move(options));
        return kStepFinished;
    }
    --seconds_;
    Scheduler().SetDelay(*this, 1000);
    return kStepFinished;
}

// Background retrievals.

const CRuntimeClass CBackgroundTask::kRuntimeClass =
    MakeAbstractRuntimeClass<CBackgroundTask, CHTTask>("CBackgroundTask");

CBackgroundTask::CBackgroundTask(CHTHostServices& host, CHTRequest& request)
    : CHTTask(host.Scheduler()), host_(host), request_(request) {
    ++request.taskRefs;
    if (host.makeDownloadReporter && request.protocol != nullptr) {
        request.protocol->SetProgressReporter(host.makeDownloadReporter(request));
    }
}

CBackgroundTask::~CBackgroundTask() {
    --request_.taskRefs;
    host_.ReleaseRequest(&request_);
}

int CBackgroundTask::Run() {
    SetStep(&CBackgroundTask::Pumping);
    return kStepContinue;
}

int CBackgroundTask::Pumping() {
    CHTProtocol* protocol = request_.protocol.get();
    if (protocol == nullptr) {
        // Woken by the end of the transfer.
        if (request_.status < 0 && request_.status != kSilentEnd) {
            ReportFailure(host_, kCannotComplete, request_);
        }
        return End();
    }
    switch (request_.Pump()) {
        case -1:
            if (IsPause(protocol->error)) return PauseStep(protocol->error);
            ReportFailure(host_, kCannotComplete, request_);
            if (IsRetired()) return kStepFinished;
            request_.Stop();
            return End();
        case 1:
            return End();
        default:
            return request_.WaitFor(*this);
    }
}

int CBackgroundTask::End() {
    if (!IsRetired()) host_.EndBackground(*this);
    return kStepFinished;
}

}  // namespace corvane::core
