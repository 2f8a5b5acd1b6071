#pragma once
// A surface that measures without any font machinery: a font of P points at D dpi is
// H = round(P * D / 72) pixels high, every glyph H / 2 wide (a wide one twice that), with an ascent
// of H - H / 4. It draws nothing. Layout benchmarks and fuzzers use it, and tests record drawing on
// top of it, so positions can be worked out by hand.

#include "render/drawing_surface.h"

namespace corvane::render {

class FixedPitchSurface : public DrawingSurface {
  public:
    explicit FixedPitchSurface(int dpi = 96, bool printing = false)
        : dpi_(dpi), printing_(printing) {}

    static FontMetrics MetricsFor(const FontSpec& spec, int dpi);

    int LogicalDpi() const override { return dpi_; }
    bool IsPrinting() const override { return printing_; }
    std::unique_ptr<SurfaceFont> CreateFont(const FontSpec& spec) override;
    void SetClip(const Rect& clip) override { clip_ = clip; }
    Rect Clip() const override { return clip_; }
    void DrawText(const SurfaceFont&, int, int, std::string_view, Color) override {}
    void DrawLine(int, int, int, int, Color) override {}
    void DrawRect(const Rect&, Color) override {}
    void FillRect(const Rect&, Color) override {}
    void FillEllipse(const Rect&, Color) override {}
    void DrawBitmap(const SurfaceBitmap&, const Rect&) override {}

  private:
    int dpi_;
    bool printing_;
    Rect clip_{0, 0, 1 << 20, 1 << 20};
};

}  // namespace corvane::render
