#pragma once
// The seam between a view and the windows of its form controls. The shell makes real widgets;
// tests use a scripted factory. A window reports what the user did through ControlEvents (never
// what a Set call changed), naming itself by the key it was created with.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "render/drawing_surface.h"
#include "render/geometry.h"

namespace corvane::render {

enum class ControlKind {
    kEdit,
    kPassword,
    kCheckBox,
    kRadio,
    kButton,
    kList,
    kDropDown,
    kTextArea
};

struct ControlSpec {
    ControlKind kind = ControlKind::kEdit;
    FontSpec font;
    std::string text;       // an edit's text, a button's label
    int maxLength = 0;      // edits; 0: no limit
    bool multiple = false;  // lists
    std::vector<std::string> options;
};

class ControlEvents {
  public:
    virtual ~ControlEvents() = default;
    virtual void TextEdited(int key, std::string text) = 0;
    virtual void Toggled(int key, bool checked) = 0;
    // The rows now chosen, ascending.
    virtual void SelectionChanged(int key, const std::vector<int>& rows) = 0;
    // A button was pressed; `at` is the point in the button.
    virtual void Clicked(int key, Point at) = 0;
    // Enter in a single-line edit.
    virtual void EnterPressed(int key) = 0;
    // Tab in an edit or a text area; the window itself does nothing with it.
    virtual void TabPressed(int key) = 0;
};

class ControlWindow {
  public:
    virtual ~ControlWindow() = default;
    // In the coordinates of the view's visible area.
    virtual void Move(const Rect& rect) = 0;
    virtual void Show(bool shown) = 0;
    virtual void SetText(std::string_view text) = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual void SetSelection(const std::vector<bool>& selected) = 0;
    virtual void Focus() = 0;
};

class ControlFactory {
  public:
    virtual ~ControlFactory() = default;
    // Null when the window cannot be made: the control then has none.
    virtual std::unique_ptr<ControlWindow> Create(const ControlSpec& spec, int key,
                                                  ControlEvents& events) = 0;
};

}  // namespace corvane::render
