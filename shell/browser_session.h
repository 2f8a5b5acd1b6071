#pragma once
// What the main frame asks of the window's document and its loads. The frame holds no browsing
// state of its own: it forwards commands here and redraws its controls when told that the
// session changed.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/request.h"
#include "store/history_menu.h"

namespace corvane::bookmarks {
class CBookmarkList;
}

namespace corvane::shell {

class BrowserSession {
  public:
    virtual ~BrowserSession() = default;

    // Completes the text into an address and loads it with the remember flag. Empty text
    // reloads the current document's address.
    virtual void OpenTyped(const std::string& text) = 0;
    virtual void OpenFile(const std::string& path) = 0;
    virtual void Back() = 0;
    virtual void Forward() = 0;
    virtual void Home() = 0;
    virtual void Reload() = 0;
    virtual void Stop() = 0;
    // The n-th entry of the Back/Forward list counted from the newest becomes the current one
    // and is loaded.
    virtual void GoToHistoryEntry(int n) = 0;
    // Starts another window that takes over this one's Back/Forward list and shows the current
    // document. False when it could not be started (the user has been told).
    virtual bool NewWindow() = 0;
    // Refresh: the current document again from the disk cache.
    virtual void RefreshFromCache() {}
    // Load Images, and the "Auto Load Images" setting.
    virtual void LoadImages() {}
    virtual bool AutoLoadsImages() const { return false; }
    virtual void SetAutoLoadImages(bool) {}

    // Starts another window that shows the address, with this one's Back/Forward list.
    virtual void OpenWindowAt(const std::string&) {}
    // Save As: asks for a file name and saves the shown document; failures are told.
    virtual void SaveAs() {}
    // Save Link/Image/Background As: asks for a file name and saves what the address (read
    // against the page's base) holds into it, away from the window's page and loads.
    virtual void SaveAddressAs(const std::string&) {}
    // Document Source: runs the "Source Command" on a copy of the document and answers nothing,
    // or without one answers the document's bytes for the built-in viewer (nothing when none are
    // stored: the user has been told).
    virtual std::optional<std::string> ViewSource() { return std::nullopt; }

    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;
    virtual bool IsLoading() const = 0;
    virtual bool HasDocument() const = 0;
    // The shown document's canonical address and title (the address until a TITLE arrives).
    virtual std::string CurrentUrl() const = 0;
    virtual std::string Title() const = 0;
    // What the location field shows: the shown document's address, or the completed address of
    // a typed load since started (so a failed load shows what was tried).
    virtual std::string LocationText() const = 0;
    // How the shown document came: not secured, or over TLS with a certificate that passed the
    // check or that the user accepted; and that certificate's subject.
    struct Security {
        core::CHTRequest::Security kind = core::CHTRequest::Security::kNone;
        std::string subject;
    };
    virtual Security ShownSecurity() const { return {}; }
    // The Go menu's history items, and every entry's address newest first (the History window).
    virtual std::vector<store::HistoryMenuItem> HistoryItems() const = 0;
    virtual std::vector<std::string> HistoryList() const = 0;
    // The window's bookmark tree; null when the window keeps none.
    virtual bookmarks::CBookmarkList* Bookmarks() { return nullptr; }

    // Called after anything above may have changed.
    std::function<void()> onChanged;
    // An address to remember in the location list (the remember flag was set).
    std::function<void(const std::string&)> onRememberTyped;
};

}  // namespace corvane::shell
