#include "render/control_boxes.h"

#include <algorithm>

#include "html/form_builder.h"
#include "platform/utf8.h"

namespace corvane::render {
namespace {

// Space between an edit box's frame and its text, on each side.
constexpr int kEditPadding = 4;
constexpr int kCheckSide = 16;
constexpr int kButtonExtraWidth = 20;
constexpr int kButtonExtraHeight = 8;
constexpr int kSelectExtraWidth = 10;
constexpr int kListPadding = 2;

// The first `count` characters of the text, and how many there were.
std::string_view FirstCharacters(std::string_view text, int count, int* taken) {
    std::size_t end = 0;
    int n = 0;
    while (end < text.size() && n < count) {
        std::size_t length = 1;
        DecodeUtf8(text.substr(end), &length);
        end += length;
        ++n;
    }
    *taken = n;
    return text.substr(0, end);
}

int WidestOption(const html::CHTMLControl& control, const SurfaceFont& font) {
    int widest = 0;
    for (const html::COption& option : control.options)
        widest = std::max(widest, font.TextWidth(option.text));
    return widest;
}

}  // namespace

int ListRows(const html::CHTMLControl& control) {
    const int options = static_cast<int>(
        std::min<std::size_t>(control.options.size(), html::CFormBuilder::kMaxRows));
    // MULTIPLE without SIZE shows every option.
    return std::max(1, control.rows > 0 ? control.rows : options);
}

ControlBox MeasureControl(const html::CHTMLControl& control, const SurfaceFont& font) {
    const FontMetrics& metrics = font.Metrics();
    const int lineHeight = metrics.height;
    const int descent = metrics.height - metrics.ascent;
    ControlBox box;
    switch (control.type) {
        case html::kControlText:
        case html::kControlPassword:
            box.width = control.size * metrics.averageCharWidth + 2 * kEditPadding;
            box.height = lineHeight + 2 * kEditPadding;
            break;
        case html::kControlCheckBox:
        case html::kControlRadio:
            box.width = kCheckSide;
            box.height = kCheckSide;
            box.ascent = kCheckSide - 2;
            return box;
        case html::kControlReset:
        case html::kControlSubmit:
        case html::kControlImage:
            box.width = font.TextWidth(control.label) + kButtonExtraWidth;
            box.height = lineHeight + kButtonExtraHeight;
            break;
        case html::kControlDropDown:
            box.width = WidestOption(control, font) + kControlScrollBarWidth + kSelectExtraWidth;
            box.height = lineHeight + 2 * kEditPadding;
            break;
        case html::kControlList:
            box.width = WidestOption(control, font) + kControlScrollBarWidth + kSelectExtraWidth;
            box.height = ListRows(control) * lineHeight + 2 * kListPadding;
            box.ascent = box.height - descent - kListPadding;
            return box;
        case html::kControlTextArea:
            box.width = control.columns * metrics.averageCharWidth + kControlScrollBarWidth +
                        2 * kEditPadding;
            box.height = control.rows * lineHeight + 2 * kEditPadding;
            break;
        default:
            return box;  // HIDDEN takes no room
    }
    // The text inside stands on the line's baseline.
    box.ascent = box.height - descent - kEditPadding;
    return box;
}

namespace {

// The chosen options, joined by ", "; a drop-down shows one.
std::string ChosenOptions(const html::CHTMLControl& control) {
    std::string out;
    for (const html::COption& option : control.options) {
        if (!option.selected) continue;
        if (!out.empty()) out += ", ";
        out += option.text;
        if (control.type == html::kControlDropDown) break;
    }
    return out;
}

}  // namespace

std::string ControlShownText(const html::CHTMLControl& control) {
    switch (control.type) {
        case html::kControlText:
        case html::kControlTextArea:
            return control.text;
        case html::kControlReset:
        case html::kControlSubmit:
        case html::kControlImage:
            return control.label;
        case html::kControlDropDown:
        case html::kControlList:
            return ChosenOptions(control);
        default:
            return {};
    }
}

std::string ControlDumpText(const html::CHTMLControl& control) {
    std::string out = "[";
    switch (control.type) {
        case html::kControlText:
        case html::kControlPassword: {
            int count = 0;
            const std::string_view shown = FirstCharacters(control.text, control.size, &count);
            if (control.type == html::kControlPassword) {
                out.append(static_cast<std::size_t>(count), '*');
            } else {
                out += shown;
            }
            out.append(static_cast<std::size_t>(control.size - count), '_');
            break;
        }
        case html::kControlCheckBox:
            return control.checked ? "[x]" : "[ ]";
        case html::kControlRadio:
            return control.checked ? "(*)" : "( )";
        case html::kControlReset:
        case html::kControlSubmit:
        case html::kControlImage:
            out += control.label;
            break;
        case html::kControlDropDown:
        case html::kControlList:
            out += ChosenOptions(control);
            if (control.type == html::kControlDropDown) out += " v";
            break;
        case html::kControlTextArea:
            out += std::string_view(control.text).substr(0, control.text.find('\n'));
            break;
        default:
            return {};
    }
    out += ']';
    return out;
}

}  // namespace corvane::render
