#include "shell/page_image.h"

#include <QPainter>
#include <algorithm>

#include "shell/qt_form_controls.h"

namespace corvane::shell {
namespace {

// Keeps a screenshot of a hostile page within a sane amount of memory (about 256 MB at most).
constexpr int kMaxImageSide = 32767;
constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

}  // namespace

void PaintControls(const render::CHTMLView& view, QPainter& painter, const render::Rect& area) {
    // Windows of their own, made from the controls' state: the view's live windows (focus, a
    // half-typed text's cursor) stay as they are.
    QWidget host;
    host.resize(area.Width(), area.Height());
    QtControlFactory factory(&host);
    render::CFormControls controls(view.Layout());
    controls.SetFactory(&factory);
    const render::DisplayList& list = view.Layout().Display();
    controls.Place(list, area, render::Point{area.left, area.top});
    for (const std::uint32_t index : list.controls) {
        const render::LayoutBox& box = list.boxes[index];
        if (!box.rect.Intersects(area)) continue;
        const auto& control = static_cast<const html::CHTMLControl&>(*box.element);
        if (render::ControlWindow* window = controls.WindowOf(control))
            WidgetOf(*window)->render(&painter, QPoint(box.rect.left, box.rect.top));
    }
}

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
    painter.setClipping(false);
    PaintControls(view, painter, render::Rect{0, 0, width, pageHeight});
    return image;
}

}  // namespace corvane::shell
