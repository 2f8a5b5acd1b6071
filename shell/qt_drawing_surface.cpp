#include "shell/qt_drawing_surface.h"

#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>

namespace corvane::shell {
namespace {

QColor ToQColor(render::Color color) {
    return QColor(render::RedOf(color), render::GreenOf(color), render::BlueOf(color));
}

QString FromLatin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

class QtFont : public render::SurfaceFont {
  public:
    QtFont(render::FontSpec spec, const QFont& font)
        : spec_(std::move(spec)), font_(font), fontMetrics_(font_), exactMetrics_(font_) {
        advances_.fill(-1);
        metrics_.ascent = fontMetrics_.ascent();
        metrics_.height = fontMetrics_.ascent() + fontMetrics_.descent();
        metrics_.averageCharWidth = std::max(1, fontMetrics_.averageCharWidth());
    }
    const render::FontSpec& Spec() const override { return spec_; }
    const render::FontMetrics& Metrics() const override { return metrics_; }
    // Without kerning or shaping a run is as wide as the sum of its characters' exact
    // advances, which is what Qt measures and draws; a table of them spares the text engine.
    int TextWidth(std::string_view text) const override {
        double width = 0;
        for (unsigned char c : text) width += Advance(c);
        return static_cast<int>(std::lround(width));
    }
    const QFont& Font() const { return font_; }

  private:
    double Advance(unsigned char c) const {
        double& advance = advances_[c];
        if (advance < 0) advance = exactMetrics_.horizontalAdvance(QChar(c));
        return advance;
    }

    render::FontSpec spec_;
    QFont font_;
    QFontMetrics fontMetrics_;
    QFontMetricsF exactMetrics_;
    render::FontMetrics metrics_;
    mutable std::array<double, 256> advances_;
};

// Qt weights run 100 to 900 like the design's, so they map one to one.
QFont::Weight ToQtWeight(int weight) {
    return static_cast<QFont::Weight>(std::clamp(weight, 100, 900));
}

}  // namespace

void QtDrawingSurface::SetPainter(QPainter* painter) {
    painter_ = painter;
}

std::unique_ptr<render::SurfaceFont> QtDrawingSurface::CreateFont(const render::FontSpec& spec) {
    if (spec.face.empty() || spec.points <= 0) return nullptr;
    QFont font(QString::fromStdString(spec.face));
    font.setPixelSize(std::max(1, render::PointsToPixels(spec.points, dpi_)));
    font.setWeight(ToQtWeight(spec.weight));
    font.setItalic(spec.italic);
    font.setStrikeOut(spec.strikeOut);
    // Layout adds up the widths of words; without kerning and shaping a run drawn whole is
    // exactly as wide as its words measured one by one.
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    // Faces named after other systems' fonts resolve to the closest installed family.
    font.setStyleHint(spec.face.find("Courier") != std::string::npos ? QFont::TypeWriter
                                                                     : QFont::Serif);
    return std::make_unique<QtFont>(spec, font);
}

void QtDrawingSurface::SetClip(const render::Rect& clip) {
    clip_ = clip;
    if (painter_) painter_->setClipRect(QRect(clip.left, clip.top, clip.Width(), clip.Height()));
}

void QtDrawingSurface::DrawText(const render::SurfaceFont& font, int x, int y,
                                std::string_view text, render::Color color) {
    assert(painter_);
    const auto& qtFont = static_cast<const QtFont&>(font);
    painter_->setFont(qtFont.Font());
    painter_->setPen(ToQColor(color));
    painter_->drawText(QPoint(x, y + font.Metrics().ascent), FromLatin1(text));
}

void QtDrawingSurface::DrawLine(int x1, int y1, int x2, int y2, render::Color color) {
    assert(painter_);
    if (x1 == x2 && y1 == y2) return;
    painter_->setPen(QPen(ToQColor(color), 0));
    // The end point is excluded, as GDI lines are.
    const int endX = x2 == x1 ? x2 : (x2 > x1 ? x2 - 1 : x2 + 1);
    const int endY = y2 == y1 ? y2 : (y2 > y1 ? y2 - 1 : y2 + 1);
    painter_->drawLine(x1, y1, endX, endY);
}

void QtDrawingSurface::DrawRect(const render::Rect& rect, render::Color color) {
    assert(painter_);
    if (rect.IsEmpty()) return;
    painter_->setPen(QPen(ToQColor(color), 0));
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1);
}

void QtDrawingSurface::FillRect(const render::Rect& rect, render::Color color) {
    assert(painter_);
    if (rect.IsEmpty()) return;
    painter_->fillRect(rect.left, rect.top, rect.Width(), rect.Height(), ToQColor(color));
}

void QtDrawingSurface::FillEllipse(const render::Rect& rect, render::Color color) {
    assert(painter_);
    if (rect.IsEmpty()) return;
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(ToQColor(color));
    painter_->setRenderHint(QPainter::Antialiasing, true);
    painter_->drawEllipse(QRect(rect.left, rect.top, rect.Width(), rect.Height()));
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setBrush(Qt::NoBrush);
}

void QtDrawingSurface::DrawBitmap(const render::SurfaceBitmap& bitmap, const render::Rect& dest) {
    assert(painter_);
    const auto count = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
    if (dest.IsEmpty() || bitmap.width <= 0 || bitmap.height <= 0 || bitmap.pixels.size() < count)
        return;
    const bool masked = bitmap.mask.size() >= count;
    QImage image(bitmap.width, bitmap.height,
                 masked ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int row = 0; row < bitmap.height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < bitmap.width; ++column) {
            const size_t index = static_cast<size_t>(row) * bitmap.width + column;
            const render::Color color = bitmap.pixels[index];
            const int alpha = masked && bitmap.mask[index] ? 0 : 255;
            line[column] =
                qRgba(render::RedOf(color), render::GreenOf(color), render::BlueOf(color), alpha);
        }
    }
    painter_->drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()), image);
}

}  // namespace corvane::shell
