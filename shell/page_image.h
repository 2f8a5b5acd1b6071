#pragma once
// Draws a laid-out page into an image, the way the view draws it on screen: the headless
// screenshot and the first paint of tests. Printing draws its form controls the same way.

#include <QImage>
#include <optional>

#include "render/html_view.h"
#include "shell/qt_drawing_surface.h"

namespace corvane::shell {

// The form controls whose boxes meet `area` (document coordinates), as their widgets draw
// themselves, each at its document place in the painter's coordinates.
void PaintControls(const render::CHTMLView& view, QPainter& painter, const render::Rect& area);

// The page from its top, `width` wide and `height` high, or as high as the whole document.
QImage RenderPage(render::CHTMLView& view, QtDrawingSurface& surface, int width,
                  std::optional<int> height);

}  // namespace corvane::shell
