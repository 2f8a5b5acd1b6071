#pragma once
// A surface that draws onto another with every position moved by an offset: printing draws a
// document slice below the page's header with the view's normal painting.

#include "render/drawing_surface.h"

namespace corvane::render {

class COffsetSurface : public DrawingSurface {
  public:
    COffsetSurface(DrawingSurface& target, int dx, int dy) : target_(target), dx_(dx), dy_(dy) {}

    int LogicalDpi() const override { return target_.LogicalDpi(); }
    bool IsPrinting() const override { return target_.IsPrinting(); }
    std::unique_ptr<SurfaceFont> CreateFont(const FontSpec& spec) override {
        return target_.CreateFont(spec);
    }
    void SetClip(const Rect& clip) override { target_.SetClip(Moved(clip)); }
    Rect Clip() const override {
        Rect clip = target_.Clip();
        clip.Offset(-dx_, -dy_);
        return clip;
    }
    void DrawText(const SurfaceFont& font, int x, int y, std::string_view text,
                  Color color) override {
        target_.DrawText(font, x + dx_, y + dy_, text, color);
    }
    void DrawLine(int x1, int y1, int x2, int y2, Color color) override {
        target_.DrawLine(x1 + dx_, y1 + dy_, x2 + dx_, y2 + dy_, color);
    }
    void DrawRect(const Rect& rect, Color color) override { target_.DrawRect(Moved(rect), color); }
    void FillRect(const Rect& rect, Color color) override { target_.FillRect(Moved(rect), color); }
    void FillEllipse(const Rect& rect, Color color) override {
        target_.FillEllipse(Moved(rect), color);
    }
    void DrawBitmap(const SurfaceBitmap& bitmap, const Rect& dest) override {
        target_.DrawBitmap(bitmap, Moved(dest));
    }

  private:
    Rect Moved(Rect rect) const {
        rect.Offset(dx_, dy_);
        return rect;
    }

    DrawingSurface& target_;
    int dx_;
    int dy_;
};

}  // namespace corvane::render
