#include "shell/qt_drawing_surface.h"

#include "render/average_char_width.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <unordered_map>

#include "platform/utf8.h"
#include "shell/qt_text.h"

namespace corvane::shell {
namespace {

QColor ToQColor(render::Color color) {
    return QColor(render::RedOf(color), render::GreenOf(color), render::BlueOf(color));
}

class QtFont final : public render::SurfaceFont {
  public:
    QtFont(render::FontSpec spec, const QFont& font)
        : spec_(std::move(spec)), font_(font), fontMetrics_(font_), exactMetrics_(font_) {
        asciiAdvances_.fill(-1);
        metrics_.ascent = fontMetrics_.ascent();
        metrics_.height = fontMetrics_.ascent() + fontMetrics_.descent();
        metrics_.averageCharWidth =
            std::max(1, static_cast<int>(std::lround(render::WeightedAverageCharWidth(*this))));
    }
    const render::FontSpec& Spec() const override { return spec_; }
    const render::FontMetrics& Metrics() const override { return metrics_; }
    // Without kerning or shaping a run is as wide as the sum of its characters' exact
    // advances, which is what Qt measures and draws; a table of them spares the text engine.
    // Characters the face lacks are measured in the fallback face Qt draws them with.
    double TextAdvance(std::string_view text) const override {
        double width = 0;
        for (std::size_t i = 0; i < text.size();) {
            const auto byte = static_cast<unsigned char>(text[i]);
            if (byte < 0x80) {
                width += Advance(byte);
                ++i;
                continue;
            }
            std::size_t length = 0;
            width += Advance(DecodeUtf8(text.substr(i), &length));
            i += length;
        }
        return width;
    }
    const QFont& Font() const { return font_; }

  private:
    double Advance(char32_t c) const {
        if (c < asciiAdvances_.size()) {
            double& advance = asciiAdvances_[c];
            if (advance < 0) advance = exactMetrics_.horizontalAdvance(QChar(c));
            return advance;
        }
        // A text mostly repeats a few characters of its script: remember the last one per slot.
        RecentAdvance& recent = recentAdvances_[c % recentAdvances_.size()];
        if (recent.character == c) return recent.advance;
        auto [entry, added] = advances_.try_emplace(c, 0.0);
        if (added) entry->second = exactMetrics_.horizontalAdvance(QString::fromUcs4(&c, 1));
        recent = {c, entry->second};
        return entry->second;
    }

    render::FontSpec spec_;
    QFont font_;
    QFontMetrics fontMetrics_;
    QFontMetricsF exactMetrics_;
    render::FontMetrics metrics_;
    mutable std::array<double, 128> asciiAdvances_;
    mutable std::unordered_map<char32_t, double> advances_;
    struct RecentAdvance {
        char32_t character = 0;  // 0: empty (ASCII never comes here)
        double advance = 0;
    };
    mutable std::array<RecentAdvance, 256> recentAdvances_{};
};

// Qt weights run 100 to 900 like the engine's, so they map one to one.
QFont::Weight ToQtWeight(int weight) {
    return static_cast<QFont::Weight>(std::clamp(weight, 100, 900));
}

}  // namespace

void QtDrawingSurface::SetPainter(QPainter* painter) {
    painter_ = painter;
}

QFont QtFontFor(const render::FontSpec& spec, int dpi) {
    QFont font(QString::fromStdString(spec.face));
    font.setPixelSize(std::max(1, render::PointsToPixels(spec.points, dpi)));
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
    return font;
}

std::unique_ptr<render::SurfaceFont> QtDrawingSurface::CreateFont(const render::FontSpec& spec) {
    if (spec.face.empty() || spec.points <= 0) return nullptr;
    return std::make_unique<QtFont>(spec, QtFontFor(spec, dpi_));
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
    painter_->drawText(QPoint(x, y + font.Metrics().ascent), FromUtf8(text));
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

int ScreenDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
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
            const int alpha = masked ? 255 - bitmap.mask[index] : 255;
            line[column] =
                qRgba(render::RedOf(color), render::GreenOf(color), render::BlueOf(color), alpha);
        }
    }
    painter_->drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()), image);
}

}  // namespace corvane::shell
