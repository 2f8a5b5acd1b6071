#include "core/ovalon_doc.h"

#include "core/ht_host_services.h"
#include "core/load_task.h"
#include "core/request.h"

namespace corvane::core {
namespace {

class CNullDocumentView : public IDocumentView {
  public:
    void ShowRequest(CHTRequest*) override {}
    void ResetState() override {}
    void Clear() override {}
    void SetTitle(std::string_view) override {}
    void SetLocationText(std::string_view, bool) override {}
    void RebuildHistoryMenu() override {}
    void RepaintAndScrollTo(std::string_view) override {}
    void StopImages() override {}
    void LoadImages() override {}
};

}  // namespace

COvalonDoc::COvalonDoc(CHTHostServices& host, IDocumentView* view) : host_(host), view_(view) {
    host_.AddWindow(this);
    if (view_ == nullptr) {
        nullView_ = std::make_unique<CNullDocumentView>();
        view_ = nullView_.get();
    }
}

COvalonDoc::~COvalonDoc() {
    Stop();
    view_->ShowRequest(nullptr);
    shown_ = nullptr;
    host_.RemoveWindow(this);
    std::vector<CHTRequest*> held;
    held.swap(history_);
    for (CHTRequest* request : held) {
        --request->useCount;
        host_.ReleaseRequest(request);
    }
    host_.ForgetOwner(this);
}

CHTRequest* COvalonDoc::Current() const {
    return position_ >= 0 && position_ < Count() ? history_[position_] : nullptr;
}

void COvalonDoc::Navigate(std::optional<std::string_view> url, NavigateOptions options) {
    std::string text;
    if (url.has_value()) {
        text = *url;
    } else if (CHTRequest* current = Current()) {
        text = current->canonicalUrl;
    } else {
        return;
    }
    CHTRequest* request = host_.GetRequest(text, options.base, options.method, this);
    StartLoad(*request, std::move(options.body), options.reload, options.remember,
              std::move(options.referrer));
}

void COvalonDoc::StartLoad(CHTRequest& request, std::unique_ptr<CObject> body, bool reload,
                           bool remember, std::optional<std::string> referrer) {
    request.status = 0;
    if (body != nullptr) request.body = std::move(body);
    request.referrer = std::move(referrer);
    request.downgradedByRedirect = false;
    // The new task holds the request before the old one lets go of it.
    auto task = std::make_unique<CLoadTask>(*this, request, reload, remember);
    StopLoad();
    // A countdown belongs to the document the user is leaving.
    DropRefresh();
    loadTask_ = std::move(task);
    host_.Scheduler().Schedule(*loadTask_);
    host_.Ui().SetBusy(true);
}

void COvalonDoc::Reload() {
    if (CHTRequest* current = Current()) StartLoad(*current, nullptr, true, true);
}

void COvalonDoc::Back() {
    if (CanGoBack()) GoTo(position_ - 1);
}

void COvalonDoc::Forward() {
    if (CanGoForward()) GoTo(position_ + 1);
}

void COvalonDoc::GoTo(int position) {
    position_ = position;
    view_->RebuildHistoryMenu();
    LoadCurrent();
}

void COvalonDoc::GoToHistoryEntry(int n) {
    if (n >= 0 && n < Count()) GoTo(Count() - 1 - n);
}

void COvalonDoc::LoadCurrent() {
    if (CHTRequest* current = Current()) StartLoad(*current, nullptr, false, false);
}

void COvalonDoc::AdoptHistory(const std::vector<CHTRequest*>& requests) {
    if (requests.empty()) return;
    for (CHTRequest* request : requests) {
        history_.push_back(request);
        ++request->useCount;
    }
    position_ = Count() - 1;
    view_->RebuildHistoryMenu();
}

void COvalonDoc::Stop() {
    DropRefresh();
    StopLoad();
    view_->StopImages();
    host_.Ui().SetBusy(false);
}

void COvalonDoc::LoadImages() {
    view_->LoadImages();
}

void COvalonDoc::StopLoad() {
    if (loadTask_ == nullptr) return;
    loadTask_->Request().Stop();
    EndLoad();
}

void COvalonDoc::EndLoad() {
    if (loadTask_ == nullptr) return;
    host_.Scheduler().DeleteLater(std::move(loadTask_));
    host_.Ui().SetProgress(-1);
    host_.Ui().SetBusy(false);
    // "Loading Document ..." must not outlive the load.
    host_.Ui().SetStatusText("");
}

void COvalonDoc::DropRefresh() {
    host_.Scheduler().DeleteLater(std::move(refreshTask_));
}

void COvalonDoc::StartRefresh(std::string url, int seconds) {
    DropRefresh();
    refreshTask_ = std::make_unique<CRefreshTask>(*this, std::move(url), seconds);
    host_.Scheduler().Schedule(*refreshTask_);
}

void COvalonDoc::ShowRequest(CHTRequest& request, bool remember) {
    if (shown_ != &request) {
        view_->ShowRequest(nullptr);
        CHTRequest* old = shown_;
        shown_ = nullptr;
        if (old != nullptr) host_.ReleaseRequest(old);
    }
    view_->ResetState();
    if (Current() != &request) {
        while (Count() > position_ + 1) {
            CHTRequest* dropped = history_.back();
            history_.pop_back();
            --dropped->useCount;
            host_.ReleaseRequest(dropped);
        }
        history_.push_back(&request);
        ++request.useCount;
        position_ = Count() - 1;
        view_->RebuildHistoryMenu();
    }
    view_->SetTitle(request.canonicalUrl);
    view_->ShowRequest(&request);
    shown_ = &request;
    view_->SetLocationText(request.canonicalUrl, remember);
    host_.DocumentShown(request);
}

}  // namespace corvane::core
