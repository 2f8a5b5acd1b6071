#pragma once
// A drawing surface with integer metrics that tests can work out by hand, recording every
// drawing call. A font of P points at D dpi is H = round(P * D / 72) pixels high; every glyph is
// H / 2 wide; the ascent is H - H / 4. At 96 dpi the 12-point body font is 16 high, 12 ascent,
// 8 per character.

#include <set>
#include <string>
#include <vector>

#include "render/drawing_surface.h"

namespace corvane::testing {

class FixedMetricsSurface : public render::DrawingSurface {
  public:
    struct Call {
        enum Kind { kText, kLine, kRect, kFillRect, kFillEllipse, kBitmap } kind;
        render::Rect rect;  // text: its cell; line: (x1, y1, x2, y2)
        render::Color color = 0;
        std::string text;
        render::FontSpec font;
    };

    explicit FixedMetricsSurface(int dpi = 96, bool printing = false)
        : dpi_(dpi), printing_(printing) {}

    // Faces that CreateFont refuses, to exercise the fallbacks.
    std::set<std::string> failingFaces;
    std::vector<Call> calls;
    int fontsCreated = 0;

    static render::FontMetrics MetricsFor(const render::FontSpec& spec, int dpi);

    int LogicalDpi() const override { return dpi_; }
    bool IsPrinting() const override { return printing_; }
    std::unique_ptr<render::SurfaceFont> CreateFont(const render::FontSpec& spec) override;
    void SetClip(const render::Rect& clip) override { clip_ = clip; }
    render::Rect Clip() const override { return clip_; }
    void DrawText(const render::SurfaceFont& font, int x, int y, std::string_view text,
                  render::Color color) override;
    void DrawLine(int x1, int y1, int x2, int y2, render::Color color) override;
    void DrawRect(const render::Rect& rect, render::Color color) override;
    void FillRect(const render::Rect& rect, render::Color color) override;
    void FillEllipse(const render::Rect& rect, render::Color color) override;
    void DrawBitmap(const render::SurfaceBitmap& bitmap, const render::Rect& dest) override;

    // The drawn texts in order, for quick assertions.
    std::vector<std::string> Texts() const;

  private:
    int dpi_;
    bool printing_;
    render::Rect clip_{0, 0, 1 << 20, 1 << 20};
};

}  // namespace corvane::testing
