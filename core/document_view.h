#pragma once
// What the load lifecycle asks of a window's view. The Qt view implements it; tests record it.

#include <string_view>

namespace corvane::core {

class CHTRequest;

class IDocumentView {
  public:
    virtual ~IDocumentView() = default;

    // Attaches the request whose document the view shows; null detaches the old one.
    virtual void ShowRequest(CHTRequest* request) = 0;
    // Forgets scroll position, selection and the tracked rectangle of the old document.
    virtual void ResetState() = 0;
    // Shows nothing (after a failed transfer).
    virtual void Clear() = 0;
    virtual void SetTitle(std::string_view title) = 0;
    // Puts the URL into the location field; `remember` also enters it in the drop-down list.
    virtual void SetLocationText(std::string_view url, bool remember) = 0;
    // The Back/Forward list or its position changed.
    virtual void RebuildHistoryMenu() = 0;
    virtual void RepaintAndScrollTo(std::string_view anchor) = 0;
    virtual void StopImages() = 0;
    // Asks the shown HTML document to load its images, then repaints.
    virtual void LoadImages() = 0;
};

}  // namespace corvane::core
