#pragma once
// The drawing seam: everything layout and drawing ask of a device. Layout only measures (fonts,
// text widths, metrics); drawing paints text, lines, rectangles, ellipses and bitmaps inside a
// clip rectangle. Units are device pixels at the surface's logical DPI (96 for the screen and
// headless rendering). The Qt implementation lives in shell/; tests use fixed integer metrics.
//
// Text is UTF-8. Layout cuts it only between characters; a surface measures and draws whole
// characters, taking those its font lacks from a fallback font, and measures exactly what it
// draws.

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "render/geometry.h"

namespace corvane::render {

inline constexpr int kFontWeightNormal = 400;
inline constexpr int kFontWeightBold = 700;
inline constexpr int kFontWeightHeavy = 800;

struct FontSpec {
    std::string face;
    int points = 12;
    int weight = kFontWeightNormal;
    bool italic = false;
    bool strikeOut = false;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

struct FontMetrics {
    int height = 0;  // ascent + descent: the line height of the font
    int ascent = 0;
    int averageCharWidth = 0;
};

// A font made by a surface. It measures by itself; only surfaces of the kind that created it
// can draw with it.
class SurfaceFont {
  public:
    virtual ~SurfaceFont() = default;
    virtual const FontSpec& Spec() const = 0;
    virtual const FontMetrics& Metrics() const = 0;
    // The exact width of a run, fractions of a pixel included. Runs are drawn without kerning
    // or shaping, so a run is as wide as its parts' advances added up: layout adds them in
    // these units and rounds once per placed box, so each box is as wide as it is drawn.
    virtual double TextAdvance(std::string_view text) const = 0;
    int TextWidth(std::string_view text) const {
        return static_cast<int>(std::lround(TextAdvance(text)));
    }
};

// A decoded picture: rows top-down, one colour per pixel; a mask byte per pixel gives its
// transparency, 0 opaque to 255 invisible (an empty mask means opaque).
struct SurfaceBitmap {
    int width = 0;
    int height = 0;
    std::span<const Color> pixels;
    std::span<const std::uint8_t> mask;
};

class DrawingSurface {
  public:
    virtual ~DrawingSurface() = default;

    virtual int LogicalDpi() const = 0;
    // Printers draw white backgrounds and never blink or highlight.
    virtual bool IsPrinting() const = 0;

    // nullptr when the font cannot be made.
    virtual std::unique_ptr<SurfaceFont> CreateFont(const FontSpec& spec) = 0;

    // Drawing outside the clip is discarded; callers also skip work that lies outside it.
    virtual void SetClip(const Rect& clip) = 0;
    virtual Rect Clip() const = 0;

    // (x, y) is the top-left corner of the text cell.
    virtual void DrawText(const SurfaceFont& font, int x, int y, std::string_view text,
                          Color color) = 0;
    // One-pixel line from (x1, y1) up to but excluding (x2, y2).
    virtual void DrawLine(int x1, int y1, int x2, int y2, Color color) = 0;
    // One-pixel outline just inside the rectangle.
    virtual void DrawRect(const Rect& rect, Color color) = 0;
    virtual void FillRect(const Rect& rect, Color color) = 0;
    virtual void FillEllipse(const Rect& rect, Color color) = 0;
    // Copies the bitmap into dest, stretched when the sizes differ, blended through the mask.
    virtual void DrawBitmap(const SurfaceBitmap& bitmap, const Rect& dest) = 0;
};

// Character height in device pixels of a font of the given points.
constexpr int PointsToPixels(int points, int dpi) {
    return (points * dpi + 36) / 72;
}

}  // namespace corvane::render
