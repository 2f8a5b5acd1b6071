#pragma once
// How layout sizes a form control and how the text dump writes it. Sizes come from the control's
// font: a TEXT field is SIZE average characters wide, a button its label plus 20 by 8 pixels, a
// SELECT its widest option plus a scroll bar and 10 pixels, a TEXTAREA COLS by ROWS.

#include <string>

#include "html/form_elements.h"
#include "render/drawing_surface.h"

namespace corvane::render {

// The width of the scroll bar list boxes, drop-downs and text areas make room for.
inline constexpr int kControlScrollBarWidth = 16;

struct ControlBox {
    int width = 0;
    int height = 0;
    int ascent = 0;  // from the top to the baseline it stands on
};

ControlBox MeasureControl(const html::CHTMLControl& control, const SurfaceFont& font);

// One fragment: TEXT "[text___]" padded or cut to SIZE characters, PASSWORD the same in "*",
// CHECKBOX "[x]" or "[ ]", RADIO "(*)" or "( )", buttons "[label]", a drop-down "[choice v]",
// a list "[a, b]", TEXTAREA "[first line]". HIDDEN has none.
std::string ControlDumpText(const html::CHTMLControl& control);

// The text a control shows, which selection copies and find searches: a field's or text area's
// text, a button's label, a list's chosen options joined by ", ". Passwords, check boxes and
// radio buttons show none.
std::string ControlShownText(const html::CHTMLControl& control);

// How many rows a list box shows.
int ListRows(const html::CHTMLControl& control);

}  // namespace corvane::render
