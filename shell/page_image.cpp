#include "shell/page_image.h"

#include <QPainter>
#include <algorithm>

namespace corvane::shell {
namespace {

// Keeps a screenshot of a hostile page within a sane amount of memory (about 256 MB at most).
constexpr int kMaxImageSide = 32767;
constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

}  // namespace

QImage RenderPage(render::CHTMLView& view, QtDrawingSurface& surface, int width,
                  std::optional<int> height) {
    width = std::clamp(width, 1, kMaxImageSide);
    int pageHeight = height.value_or(view.Layout().DocumentHeight());
    pageHeight = std::clamp(pageHeight, 1, kMaxImageSide);
    pageHeight = static_cast<int>(std::min<long long>(pageHeight, kMaxImagePixels / width));
    QImage image(width, pageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    surface.SetPainter(&painter);
    view.Paint(surface, render::Rect{0, 0, width, pageHeight});
    surface.SetPainter(nullptr);
    return image;
}

}  // namespace corvane::shell
