#pragma once
// The inline images of the document a window shows: one embedded request per image element
// (IMG, FIG, the BODY background), started at once when "Auto Load Images" is on or later by
// Load Images, and what painting and layout ask of them (natural size, decoded rows, failure).
// Requests are shared, so an image used twice on a page, or on the next page, loads once.
//
// The window polls Changes() on its update tick: a new natural size calls for a fresh layout,
// new rows only for a repaint. The first damaged JPEG of a document load is reported in a
// message box, later ones in the status bar. On a display of few colours Changes() also reduces
// each changed image to the palette's colours, which the view then draws.

#include <cstdint>
#include <memory>
#include <vector>

#include "render/document_painter.h"

namespace corvane::core {
class CHTHostServices;
class COvalonDoc;
class CHTRequest;
}  // namespace corvane::core
namespace corvane::html {
class CHTMLImage;
class CHTML;
}  // namespace corvane::html
namespace corvane::images {
class CImageBitmap;
}

namespace corvane::render {

class CImageLoads {
  public:
    CImageLoads(core::CHTHostServices& host, core::COvalonDoc* owner);
    ~CImageLoads();
    CImageLoads(const CImageLoads&) = delete;
    CImageLoads& operator=(const CImageLoads&) = delete;

    // Forgets the images of the previous document; the requests stay shared.
    void Clear();
    // An image of the shown document; its load starts when `start` is set.
    void Add(const html::CHTMLImage& image, bool start);
    // Every image and the background of a document, as when it is shown again.
    void AddAll(const html::CHTML& document, bool start);
    // Load Images: starts every image not loaded yet, and retries failed ones.
    void StartAll();
    // One image, clicked on: started, or retried when it failed.
    void StartOne(const html::CHTMLElement* image);
    // Stop: loads still running end; their images keep what arrived.
    void StopAll();

    // On a display of 8 bits or fewer images are drawn in the application palette, dithered
    // as `dithering` ("Color Ditehring") allows; from the next change of each image on.
    void UsePalette(bool on, bool dithering);

    ImageInfo InfoOf(const html::CHTMLElement* image) const;
    // Some image is still loading.
    bool Busy() const;

    enum class Change { kNone, kRows, kSizes };
    // What changed since the last call; reports failures as a side effect.
    Change Changes();

  private:
    struct Load;
    const Load* Find(const html::CHTMLElement* image) const;
    // Starts the load, or queues it while enough others run.
    void Start(Load& load, bool reload);
    void StartQueued();
    const images::CImageBitmap* BitmapOf(const Load& load) const;

    core::CHTHostServices& host_;
    core::COvalonDoc* owner_;
    std::vector<std::unique_ptr<Load>> loads_;
    std::uint64_t lastRows_ = 0;
    std::uint64_t lastSizes_ = 0;
    bool messageShown_ = false;
    bool palette_ = false;
    bool dithering_ = true;
};

}  // namespace corvane::render
