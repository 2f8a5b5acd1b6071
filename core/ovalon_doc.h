#pragma once
// The toolkit-free side of a browser window: its Back/Forward list with the current position,
// its current load and refresh tasks, and the operations that start, stop and show loads.
//
// Memory: the document owns its load and refresh tasks (handed to the scheduler's DeleteLater
// when they end, since they may be running) and holds one use count on every request of its
// Back/Forward list; private requests die when their last list lets go.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/address.h"
#include "core/document_view.h"

namespace corvane::core {

class CHTHostServices;
class CHTRequest;
class CLoadTask;
class CRefreshTask;
class CObject;

class COvalonDoc {
  public:
    // `view` may be null (a window without a view, as in headless runs).
    COvalonDoc(CHTHostServices& host, IDocumentView* view);
    ~COvalonDoc();
    COvalonDoc(const COvalonDoc&) = delete;
    COvalonDoc& operator=(const COvalonDoc&) = delete;

    struct NavigateOptions {
        const CHTAddress* base = nullptr;
        int method = 0;
        std::unique_ptr<CObject> body;
        bool reload = false;
        bool remember = false;
        std::optional<std::string> referrer;
    };
    // The one entry for loading into the window. No URL text: the current document's URL.
    void Navigate(std::optional<std::string_view> url, NavigateOptions options);
    void Navigate(std::string_view url) { Navigate(url, NavigateOptions{}); }

    // A given body replaces the request's body; none keeps it (so a reload posts again).
    void StartLoad(CHTRequest& request, std::unique_ptr<CObject> body, bool reload, bool remember,
                   std::optional<std::string> referrer = std::nullopt);

    void Reload();
    void Back();
    void Forward();
    void Stop();
    void LoadImages();
    bool CanGoBack() const { return position_ > 0; }
    bool CanGoForward() const { return position_ >= 0 && position_ + 1 < Count(); }

    // Enters the request in the Back/Forward list (dropping the Forward entries when it is not
    // the current one) and attaches it to the view.
    void ShowRequest(CHTRequest& request, bool remember);

    // Takes over the history another window handed over: each request joins the end of the
    // Back/Forward list, which then stands at its last entry. Nothing is loaded.
    void AdoptHistory(const std::vector<CHTRequest*>& requests);
    // Loads the current entry of the Back/Forward list, as Back and Forward do.
    void LoadCurrent();
    // Makes the n-th entry counted from the newest the current one and loads it, as Back and
    // Forward do (the Go menu's history items). Any other n does nothing.
    void GoToHistoryEntry(int n);

    // The load part of Stop: the protocol goes, the load task goes, the progress is cleared.
    void StopLoad();
    // Ends the load task without stopping its request's protocol.
    void EndLoad();
    void StartRefresh(std::string url, int seconds);

    CHTRequest* Current() const;
    CHTRequest* Shown() const { return shown_; }
    const std::vector<CHTRequest*>& History() const { return history_; }
    int Position() const { return position_; }
    CLoadTask* LoadTask() const { return loadTask_.get(); }
    CRefreshTask* RefreshTask() const { return refreshTask_.get(); }
    CHTHostServices& Host() const { return host_; }
    IDocumentView& View() const { return *view_; }

  private:
    int Count() const { return static_cast<int>(history_.size()); }
    void GoTo(int position);
    void DropRefresh();

    CHTHostServices& host_;
    std::unique_ptr<IDocumentView> nullView_;
    IDocumentView* view_;
    std::vector<CHTRequest*> history_;
    int position_ = -1;
    CHTRequest* shown_ = nullptr;
    std::unique_ptr<CLoadTask> loadTask_;
    std::unique_ptr<CRefreshTask> refreshTask_;
};

}  // namespace corvane::core
