#pragma once
// The elements of forms: FORM (type 22) and one control element per INPUT, SELECT and TEXTAREA
// (types 23 to 33). A form lists its controls in document order; a SELECT owns its options.
//
// What the user enters (text, ticks, chosen options) is kept in the control itself, so the form
// is sent from the document alone and a page shown again by Back keeps what was typed into it.
// The view changes it while the document is otherwise read-only to it, hence `mutable`.
//
// Memory: elements live in the document's arena like every other element; the form's control
// list only refers to controls that the element list owns.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "html/element.h"

namespace corvane::html {

enum ControlType : std::int32_t {
    kControlHidden = 23,
    kControlText = 24,
    kControlPassword = 25,
    kControlCheckBox = 26,
    kControlRadio = 27,
    kControlReset = 28,
    kControlSubmit = 29,
    kControlList = 30,      // SELECT shown as a list box
    kControlDropDown = 31,  // SELECT shown as a drop-down list
    kControlTextArea = 32,
    kControlImage = 33,
};

constexpr bool IsControl(std::int32_t type) {
    return type >= kControlHidden && type <= kControlImage;
}
// The controls that count as text fields for Enter and Tab.
constexpr bool IsTextField(std::int32_t type) {
    return type == kControlText || type == kControlPassword || type == kControlTextArea;
}
constexpr bool IsPushButton(std::int32_t type) {
    return type == kControlReset || type == kControlSubmit || type == kControlImage;
}
constexpr bool IsSelect(std::int32_t type) {
    return type == kControlList || type == kControlDropDown;
}

enum FormMethod : std::int16_t { kFormOtherMethod = -1, kFormGet = 1, kFormPost = 2 };

// The first control identifier of a document; each control takes the next.
inline constexpr std::int32_t kFirstControlIdentifier = 20000;

class CHTMLControl;

class CHTMLForm : public CHTMLElement {
  public:
    CHTMLForm() : CHTMLElement(kElementForm) {}

    std::vector<CHTMLControl*> controls;  // document order
    std::string action;                   // as written; empty when absent
    std::string encodingType;             // ENCTYPE as written
    std::int16_t method = kFormGet;
    std::int32_t textFieldCount = 0;
    bool indexForm = false;  // made for ISINDEX
};

struct COption {
    std::optional<std::string> value;
    std::string text;
    bool initiallySelected = false;
    mutable bool selected = false;
};

class CHTMLControl : public CHTMLElement {
  public:
    CHTMLControl(std::int32_t type, CHTMLForm* form, std::int32_t identifier, bool fixedFont)
        : CHTMLElement(type), form(form), identifier(identifier), fixedFont(fixedFont) {}

    CHTMLForm* const form;
    std::string name;
    std::optional<std::string> value;  // VALUE
    const std::int32_t identifier;
    const bool fixedFont;  // made inside PRE

    // Push buttons: VALUE, else the TYPE as written.
    std::string label;
    // TEXT, PASSWORD and TEXTAREA. Line ends are LF.
    std::string initialText;
    std::int32_t maxLength = 0;  // 0: none
    std::int32_t size = 20;      // TEXT and PASSWORD width in characters
    std::int32_t columns = 20;   // TEXTAREA
    std::int32_t rows = 2;       // TEXTAREA; SELECT: SIZE, 0 when absent
    // CHECKBOX and RADIO.
    bool initiallyChecked = false;
    // SELECT.
    bool multiple = false;
    std::vector<COption> options;
    // False while the options or the text of a SELECT or TEXTAREA still arrive: layout waits
    // for the end tag (or the end of the data) to size it.
    bool complete = true;

    // What the user has entered.
    mutable std::string text;
    mutable bool checked = false;
};

}  // namespace corvane::html
