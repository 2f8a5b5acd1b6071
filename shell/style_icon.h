#pragma once
// Icons of the style's standard set that are drawn only when shown, at the size shown. The
// style's own icons decode every size they carry (up to 128 pixels) the moment they are made:
// some hundred kilobytes per icon for a window that shows them at 16 and 24 pixels.

#include <QIcon>
#include <QStyle>

namespace corvane::shell {

QIcon StyleIcon(QStyle::StandardPixmap which);

}  // namespace corvane::shell
