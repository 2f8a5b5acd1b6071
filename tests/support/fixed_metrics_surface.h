#pragma once
// The fixed-pitch surface with every drawing call recorded, and fonts that can be made to fail.
// At 96 dpi the 12-point body font is 16 high, 12 ascent, 8 per character.

#include <set>
#include <string>
#include <vector>

#include "render/fixed_pitch_surface.h"

namespace corvane::testing {

class FixedMetricsSurface : public render::FixedPitchSurface {
  public:
    struct Call {
        enum Kind { kText, kLine, kRect, kFillRect, kFillEllipse, kBitmap } kind;
        render::Rect rect;  // text: its cell; line: (x1, y1, x2, y2)
        render::Color color = 0;
        std::string text;
        render::FontSpec font;
    };

    using FixedPitchSurface::FixedPitchSurface;

    // Faces that CreateFont refuses, to exercise the fallbacks.
    std::set<std::string> failingFaces;
    std::vector<Call> calls;
    int fontsCreated = 0;

    std::unique_ptr<render::SurfaceFont> CreateFont(const render::FontSpec& spec) override;
    void DrawText(const render::SurfaceFont& font, int x, int y, std::string_view text,
                  render::Color color) override;
    void DrawLine(int x1, int y1, int x2, int y2, render::Color color) override;
    void DrawRect(const render::Rect& rect, render::Color color) override;
    void FillRect(const render::Rect& rect, render::Color color) override;
    void FillEllipse(const render::Rect& rect, render::Color color) override;
    void DrawBitmap(const render::SurfaceBitmap& bitmap, const render::Rect& dest) override;

    // The drawn texts in order, for quick assertions.
    std::vector<std::string> Texts() const;
};

}  // namespace corvane::testing
