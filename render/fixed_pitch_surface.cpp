#include "render/fixed_pitch_surface.h"

namespace corvane::render {
namespace {

class FixedPitchFont : public SurfaceFont {
  public:
    FixedPitchFont(FontSpec spec, FontMetrics metrics)
        : spec_(std::move(spec)), metrics_(metrics) {}
    const FontSpec& Spec() const override { return spec_; }
    const FontMetrics& Metrics() const override { return metrics_; }
    double TextAdvance(std::string_view text) const override {
        return static_cast<double>(text.size()) * metrics_.averageCharWidth;
    }

  private:
    FontSpec spec_;
    FontMetrics metrics_;
};

}  // namespace

FontMetrics FixedPitchSurface::MetricsFor(const FontSpec& spec, int dpi) {
    const int height = PointsToPixels(spec.points, dpi);
    return FontMetrics{height, height - height / 4, height / 2};
}

std::unique_ptr<SurfaceFont> FixedPitchSurface::CreateFont(const FontSpec& spec) {
    return std::make_unique<FixedPitchFont>(spec, MetricsFor(spec, dpi_));
}

}  // namespace corvane::render
