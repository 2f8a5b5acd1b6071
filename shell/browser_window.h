#pragma once
// One browser window without its widgets: the window's document (Back/Forward list and loads)
// joined to the view that lays out and draws what the loads deliver. The main frame drives it
// as a BrowserSession; the headless runner drives it directly.
//
// While a load runs, what has arrived is laid out on every update tick, so a page shows while
// it grows. Before the view touches its document, the window checks that the request still holds
// the document the view was given (a reload replaces it).

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bookmarks/bookmark_list.h"
#include "core/document_view.h"
#include "core/ovalon_doc.h"
#include "html/builder_services.h"
#include "platform/event_loop.h"
#include "render/html_view.h"
#include "render/image_loads.h"
#include "shell/application.h"
#include "shell/browser_session.h"
#include "shell/post_news_fields.h"

namespace corvane::html {
class CHTML;
}

namespace corvane::shell {

class CBrowserWindow : public core::IDocumentView,
                       public html::DocumentHost,
                       public BrowserSession {
  public:
    CBrowserWindow(CApplication& application, render::CHTMLView& view);
    ~CBrowserWindow() override;
    CBrowserWindow(const CBrowserWindow&) = delete;
    CBrowserWindow& operator=(const CBrowserWindow&) = delete;

    core::COvalonDoc& Document() { return *document_; }
    // Loads `url` as a form post whose body is `body` (a form's bytes, or a message to send).
    void Post(const std::string& url, std::unique_ptr<core::CObject> body);
    render::CHTMLView& View() { return view_; }
    // The HTML document of the request on show, or null.
    const html::CHTML* ShownHtml() const { return attachedHtml_; }
    // The builder's window for a request made by some window's document, or null.
    static html::DocumentHost* HostFor(core::CHTRequest& request);

    // core::IDocumentView
    void ShowRequest(core::CHTRequest* request) override;
    void ResetState() override {}
    void Clear() override;
    void SetTitle(std::string_view title) override;
    void SetLocationText(std::string_view url, bool remember) override;
    void RebuildHistoryMenu() override { Changed(); }
    void RepaintAndScrollTo(std::string_view anchor) override;
    void StopImages() override;
    // Also BrowserSession's Load Images.
    void LoadImages() override;

    // html::DocumentHost
    void ShowTitle(std::string_view title) override;
    void RepaintBackground() override { Revalidate(); }
    void RequestImage(html::CHTMLImage& image) override;

    // BrowserSession
    void OpenTyped(const std::string& text) override;
    void OpenFile(const std::string& path) override;
    void Back() override;
    void Forward() override;
    void Home() override;
    void Reload() override;
    void RefreshFromCache() override { document_->RefreshFromCache(); }
    void Stop() override;
    void GoToHistoryEntry(int n) override;
    bool NewWindow() override;
    void OpenWindowAt(const std::string& url) override;
    void SaveAs() override;
    void SaveAddressAs(const std::string& url) override;
    std::optional<std::string> ViewSource() override;
    bool AutoLoadsImages() const override { return AutoLoadImages(); }
    void SetAutoLoadImages(bool on) override;
    bool CanGoBack() const override { return document_->CanGoBack(); }
    bool CanGoForward() const override { return document_->CanGoForward(); }
    bool IsLoading() const override { return document_->LoadTask() != nullptr; }
    bool HasDocument() const override { return document_->Shown() != nullptr; }
    std::string CurrentUrl() const override { return location_; }
    std::string Title() const override { return title_; }
    std::string LocationText() const override { return locationText_; }
    Security ShownSecurity() const override;
    std::vector<store::HistoryMenuItem> HistoryItems() const override;
    std::vector<std::string> HistoryList() const override;
    bookmarks::CBookmarkList* Bookmarks() override { return bookmarks_.get(); }

    // Reads the bookmark file named by the settings (the window then keeps a bookmark tree and
    // saves it when it closes). Headless runs keep none.
    void LoadBookmarks();

    // Some image of the page on show is still loading.
    bool ImagesLoading() const { return images_->Busy(); }
    // For a text dump: no picture is fetched, so the layout (and the text already written)
    // never changes when an image's size comes in.
    void LeavePicturesUnloaded() { picturesWanted_ = false; }
    // No load runs (of the page or its images) and what it delivered is laid out.
    bool IsSettled() const { return !IsLoading() && ticker_ == 0; }
    // Loads an address as typed (completed, remembered).
    void Load(const std::string& text);
    // Post News from this window: a follow-up to the article shown (its groups, "Re: " subject,
    // references and server), else empty fields.
    PostNewsFields FollowUpFields() const;
    // Quote: the shown document's text and its sender.
    std::pair<std::string, std::string> QuoteSource() const;
    // Loads an address with a request method (a news-window list, a posting with its body).
    void OpenWithMethod(const std::string& url, int method,
                        std::unique_ptr<core::CObject> body = nullptr);
    // Takes over a history handed over by another window ("key=URL text" entries, oldest
    // first); nothing is loaded.
    void AdoptHistory(const std::vector<std::pair<std::string, std::string>>& entries);
    // Loads the current entry of the Back/Forward list.
    void LoadCurrent();
    // Lays out what arrived since the last tick and ends the ticks when the load is over.
    void Tick();

  private:
    void Attach(core::CHTRequest* request);
    void Revalidate();
    void Changed();
    void StartTicking();
    bool AutoLoadImages() const;
    void ApplyDisplayColours();
    void TickEvery(std::uint32_t intervalMs);
    void FollowLink(const render::LinkRequest& link);
    // A form was sent: a GET becomes a private query, a POST carries its body.
    void SubmitForm(const html::FormSubmission& form);

    CApplication& application_;
    render::CHTMLView& view_;
    std::unique_ptr<core::COvalonDoc> document_;
    std::unique_ptr<bookmarks::CBookmarkList> bookmarks_;
    std::unique_ptr<render::CImageLoads> images_;
    core::CHTRequest* shown_ = nullptr;
    std::uint64_t attachedGeneration_ = 0;
    const html::CHTML* attachedHtml_ = nullptr;
    std::unique_ptr<html::CHTML> imagePage_;  // when the request on show is an image
    std::string title_;
    std::string location_;
    std::string locationText_;
    platform::TimerId ticker_ = 0;
    std::uint32_t tickMs_ = 0;
    bool wasLoading_ = false;
    bool picturesWanted_ = true;
};

}  // namespace corvane::shell
