#include "shell/page_image.h"

#include <QPainter>
#include <algorithm>

#include "shell/qt_form_controls.h"

namespace corvane::shell {
namespace {

// Keeps a screenshot of a hostile page within a sane amount of memory (about 256 MB at most).
constexpr int kMaxImageSide = 32767;
constexpr long long kMaxImagePixels = 64LL * 1024 * 1024;

// The controls on the page as their widgets draw themselves in a window.
void PaintControls(render::CHTMLView& view, QPainter& painter, const render::Rect& page) {
    render::CFormControls& forms = view.Forms();
    render::ControlFactory* previous = forms.Factory();
    QWidget host;
    host.resize(page.Width(), page.Height());
    QtControlFactory factory(&host);
    forms.SetFactory(&factory);
    const render::DisplayList& list = view.Layout().Display();
    forms.Place(list, page, render::Point{0, 0});
    for (const std::uint32_t index : list.controls) {
        const render::LayoutBox& box = list.boxes[index];
        if (!box.rect.Intersects(page)) continue;
        const auto& control = static_cast<const html::CHTMLControl&>(*box.element);
        if (render::ControlWindow* window = forms.WindowOf(control))
            WidgetOf(*window)->render(&painter, QPoint(box.rect.left, box.rect.top));
    }
    forms.SetFactory(previous);
}

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
    painter.setClipping(false);
    PaintControls(view, painter, render::Rect{0, 0, width, pageHeight});
    return image;
}

}  // namespace corvane::shell
