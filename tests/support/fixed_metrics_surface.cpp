#include "tests/support/fixed_metrics_surface.h"

namespace corvane::testing {

std::unique_ptr<render::SurfaceFont> FixedMetricsSurface::CreateFont(const render::FontSpec& spec) {
    if (failingFaces.count(spec.face)) return nullptr;
    ++fontsCreated;
    return FixedPitchSurface::CreateFont(spec);
}

void FixedMetricsSurface::DrawText(const render::SurfaceFont& font, int x, int y,
                                   std::string_view text, render::Color color) {
    const auto& metrics = font.Metrics();
    calls.push_back({Call::kText,
                     {x, y, x + font.TextWidth(text), y + metrics.height},
                     color,
                     std::string(text),
                     font.Spec()});
}

void FixedMetricsSurface::DrawLine(int x1, int y1, int x2, int y2, render::Color color) {
    calls.push_back({Call::kLine, {x1, y1, x2, y2}, color, {}, {}});
}

void FixedMetricsSurface::DrawRect(const render::Rect& rect, render::Color color) {
    calls.push_back({Call::kRect, rect, color, {}, {}});
}

void FixedMetricsSurface::FillRect(const render::Rect& rect, render::Color color) {
    calls.push_back({Call::kFillRect, rect, color, {}, {}});
}

void FixedMetricsSurface::FillEllipse(const render::Rect& rect, render::Color color) {
    calls.push_back({Call::kFillEllipse, rect, color, {}, {}});
}

void FixedMetricsSurface::DrawBitmap(const render::SurfaceBitmap&, const render::Rect& dest) {
    calls.push_back({Call::kBitmap, dest, 0, {}, {}});
}

std::vector<std::string> FixedMetricsSurface::Texts() const {
    std::vector<std::string> texts;
    for (const Call& call : calls) {
        if (call.kind == Call::kText) texts.push_back(call.text);
    }
    return texts;
}

}  // namespace corvane::testing
