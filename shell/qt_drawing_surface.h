#pragma once
// The drawing seam over QPainter. One surface measures at a fixed logical DPI (96 for the screen
// and for headless images, the printer's for printing) whether or not a painter is attached;
// drawing calls need a painter, attached for the length of a paint.

#include <QPainter>

#include "render/drawing_surface.h"

namespace corvane::shell {

// The Qt font the surface draws a spec with at the given DPI; form controls show their text in
// it too, so they match the boxes layout measured for them.
QFont QtFontFor(const render::FontSpec& spec, int dpi);

// Bits per pixel of the screen windows open on (24 when there is no screen).
int ScreenDepth();

class QtDrawingSurface : public render::DrawingSurface {
  public:
    enum class Target { kScreen, kPrinter };

    explicit QtDrawingSurface(int dpi = 96, Target target = Target::kScreen)
        : dpi_(dpi), target_(target) {}

    // The painter to draw with until the next call; nullptr detaches it.
    void SetPainter(QPainter* painter);

    int LogicalDpi() const override { return dpi_; }
    bool IsPrinting() const override { return target_ == Target::kPrinter; }
    std::unique_ptr<render::SurfaceFont> CreateFont(const render::FontSpec& spec) override;
    void SetClip(const render::Rect& clip) override;
    render::Rect Clip() const override { return clip_; }
    void DrawText(const render::SurfaceFont& font, int x, int y, std::string_view text,
                  render::Color color) override;
    void DrawLine(int x1, int y1, int x2, int y2, render::Color color) override;
    void DrawRect(const render::Rect& rect, render::Color color) override;
    void FillRect(const render::Rect& rect, render::Color color) override;
    void FillEllipse(const render::Rect& rect, render::Color color) override;
    void DrawBitmap(const render::SurfaceBitmap& bitmap, const render::Rect& dest) override;

  private:
    int dpi_;
    Target target_;
    QPainter* painter_ = nullptr;
    render::Rect clip_{0, 0, 1 << 24, 1 << 24};
};

}  // namespace corvane::shell
