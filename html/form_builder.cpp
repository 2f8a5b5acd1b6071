#include "html/form_builder.h"

#include <algorithm>
#include <optional>
#include <string>

#include "html/attribute_values.h"
#include "html/attributes.h"
#include "html/builder.h"
#include "html/tags.h"
#include "platform/ascii.h"

namespace corvane::html {
namespace {

constexpr std::string_view kIndexPrompt = "Enter keyword(s) you want to search for: ";
constexpr std::int32_t kIndexRuleSize = 4;

std::int32_t ControlTypeOf(std::string_view type) {
    static constexpr std::pair<std::string_view, std::int32_t> kTypes[] = {
        {"TEXT", kControlText},     {"CHECKBOX", kControlCheckBox}, {"RADIO", kControlRadio},
        {"RESET", kControlReset},   {"SUBMIT", kControlSubmit},     {"PASSWORD", kControlPassword},
        {"HIDDEN", kControlHidden}, {"IMAGE", kControlImage},
    };
    for (const auto& [name, control] : kTypes) {
        if (EqualsIgnoreCase(type, name)) return control;
    }
    // No TYPE, or one nobody knows: a text field, as in every browser.
    return kControlText;
}

// A numeric attribute: absent gives `absent`, anything unreadable 0; then bounded.
std::int32_t Bounded(std::string_view tagText, std::string_view name, std::int32_t absent,
                     std::int32_t low, std::int32_t high) {
    const std::optional<std::string> value = GetAttribute(tagText, name);
    return std::clamp(value ? ParseInteger(*value) : absent, low, high);
}

// Control characters become spaces and runs of spaces collapse, as in running text.
void AppendCollapsed(std::string& out, std::string_view text) {
    for (const char c : text) {
        const bool space = static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
        if (!space) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
}

}  // namespace

void CFormBuilder::HandleToken(int token, std::string_view text) {
    switch (token) {
        case TOKEN_OPTION_TEXT:
            AddOptionText(text);
            return;
        case TOKEN_TEXTAREA_TEXT:
            AddTextAreaText(text);
            return;
        case tag::kForm:
            BeginForm(text);
            return;
        case tag::kForm | kEndTagFlag:
            EndForm();
            return;
        case tag::kIsindex:
            IsIndex();
            return;
        case tag::kInput:
            AddInput(text);
            return;
        case tag::kSelect:
            BeginSelect(text);
            return;
        case tag::kSelect | kEndTagFlag:
            EndSelect();
            return;
        case tag::kOption:
            AddOption(text);
            return;
        case tag::kTextarea:
            BeginTextArea(text);
            return;
        case tag::kTextarea | kEndTagFlag:
            EndTextArea();
            return;
        default:
            // An OPTION end tag and the ends of ISINDEX and INPUT change nothing.
            return;
    }
}

void CFormBuilder::Finish() {
    CloseForm();
}

void CFormBuilder::CloseForm() {
    EndSelect();
    EndTextArea();
    form_ = nullptr;
}

CHTMLForm& CFormBuilder::OpenForm() {
    if (form_ == nullptr) form_ = builder_.AddElement<CHTMLForm>();
    return *form_;
}

void CFormBuilder::BeginForm(std::string_view text) {
    CloseForm();
    builder_.AddBreak(kParagraphGap);
    builder_.AddAlignment(kAlignLeft);
    CHTMLForm& form = OpenForm();
    if (const std::optional<std::string> method = GetAttribute(text, "METHOD")) {
        form.method = EqualsIgnoreCase(*method, "POST") ? kFormPost : kFormOtherMethod;
    }
    form.action = GetAttribute(text, "ACTION").value_or(std::string());
    form.encodingType = GetAttribute(text, "ENCTYPE").value_or(std::string());
}

void CFormBuilder::EndForm() {
    CloseForm();
    builder_.AddBreak(kParagraphGap);
    builder_.AddAlignment(kAlignLeft);
}

void CFormBuilder::IsIndex() {
    CloseForm();
    const auto addRule = [this] {
        builder_.AddBreak(kEndOfLine);
        builder_.AddElement<CHTMLRule>()->size = kIndexRuleSize;
        builder_.AddBreak(kEndOfLine);
    };
    addRule();
    CHTMLForm& form = OpenForm();
    form.action = builder_.Document().url();
    form.indexForm = true;
    builder_.AddText(kIndexPrompt);
    AddControl(kControlText, {})->name = "index";
    CloseForm();
    builder_.AddBreak(kLineBreak);
    addRule();
}

CHTMLControl* CFormBuilder::AddControl(std::int32_t type, std::string_view text) {
    CHTMLForm& form = OpenForm();
    auto* control = builder_.AddElement<CHTMLControl>(type, &form, nextIdentifier_,
                                                      builder_.Context().preDepth > 0);
    // Past 2^31 controls the identifiers stay at the last one rather than wrap.
    if (nextIdentifier_ < INT32_MAX) ++nextIdentifier_;
    form.controls.push_back(control);
    // Find searches what a control shows, in its place among the texts.
    if (type != kControlHidden) builder_.Document().texts.push_back(control);
    if (IsTextField(type)) ++form.textFieldCount;
    control->name = GetAttribute(text, "NAME").value_or(std::string());
    control->value = GetAttribute(text, "VALUE");
    return control;
}

void CFormBuilder::AddInput(std::string_view text) {
    EndSelect();
    EndTextArea();
    const std::optional<std::string> typeText = GetAttribute(text, "TYPE");
    const std::int32_t type = ControlTypeOf(typeText.value_or(std::string()));
    CHTMLControl* control = AddControl(type, text);
    switch (type) {
        case kControlText:
        case kControlPassword:
            control->initialText = control->value.value_or(std::string());
            // A value longer than the field may hold is cut as the field would cut typing.
            control->maxLength = Bounded(text, "MAXLENGTH", 0, 0, kMaxLength);
            if (control->maxLength > 0) {
                std::size_t end = 0;
                for (std::int32_t n = 0;
                     n < control->maxLength && end < control->initialText.size(); ++n) {
                    do ++end;
                    while (end < control->initialText.size() &&
                           (static_cast<unsigned char>(control->initialText[end]) & 0xC0) == 0x80);
                }
                control->initialText.resize(end);
            }
            control->size = Bounded(text, "SIZE", 20, 1, kMaxCharacters);
            control->text = control->initialText;
            break;
        case kControlCheckBox:
        case kControlRadio:
            control->initiallyChecked = GetAttribute(text, "CHECKED").has_value();
            control->checked = control->initiallyChecked;
            break;
        case kControlReset:
        case kControlSubmit:
        case kControlImage:
            control->label = control->value ? *control->value : typeText.value_or(std::string());
            break;
        default:
            break;
    }
}

void CFormBuilder::BeginSelect(std::string_view text) {
    EndSelect();
    EndTextArea();
    const bool multiple = GetAttribute(text, "MULTIPLE").has_value();
    const std::int32_t rows = Bounded(text, "SIZE", 0, 0, kMaxRows);
    select_ = AddControl(!multiple && rows < 2 ? kControlDropDown : kControlList, text);
    select_->multiple = multiple;
    select_->rows = rows;
    select_->complete = false;
}

void CFormBuilder::AddOption(std::string_view text) {
    if (select_ == nullptr) return;
    COption& option = select_->options.emplace_back();
    option.value = GetAttribute(text, "VALUE");
    option.initiallySelected = GetAttribute(text, "SELECTED").has_value();
    if (option.initiallySelected && !select_->multiple) {
        // One choice only: the last option marked wins, as in every browser.
        for (COption& other : select_->options) other.initiallySelected = false;
        option.initiallySelected = true;
    }
}

void CFormBuilder::AddOptionText(std::string_view text) {
    if (select_ == nullptr || select_->options.empty()) return;
    std::string& target = select_->options.back().text;
    AppendCollapsed(target, text);
    if (!target.empty() && target.front() == ' ') target.erase(0, 1);
    while (!target.empty() && target.back() == ' ') target.pop_back();
}

void CFormBuilder::EndSelect() {
    if (select_ == nullptr) return;
    bool any = false;
    for (COption& option : select_->options) {
        option.selected = option.initiallySelected;
        any = any || option.selected;
    }
    // A drop-down always shows a choice: the first, unless another was marked.
    if (!any && select_->type == kControlDropDown && !select_->options.empty()) {
        select_->options.front().initiallySelected = true;
        select_->options.front().selected = true;
    }
    select_->complete = true;
    select_ = nullptr;
}

void CFormBuilder::BeginTextArea(std::string_view text) {
    EndSelect();
    EndTextArea();
    textArea_ = AddControl(kControlTextArea, text);
    textArea_->columns = Bounded(text, "COLS", 20, 1, kMaxCharacters);
    textArea_->rows = Bounded(text, "ROWS", 2, 1, kMaxRows);
    textArea_->complete = false;
    textAreaEndsInCr_ = false;
}

void CFormBuilder::AddTextAreaText(std::string_view text) {
    if (textArea_ == nullptr) return;
    // Line ends arrive as CR LF; the control keeps LF alone.
    const std::size_t start = textArea_->initialText.size();
    std::string& target = textArea_->initialText;
    for (const char c : text) {
        if (c == '\n' && textAreaEndsInCr_) {
            textAreaEndsInCr_ = false;
            continue;
        }
        textAreaEndsInCr_ = c == '\r';
        target += c == '\r' ? '\n' : c;
    }
    // Only the new piece: copying the whole text per token would be quadratic.
    textArea_->text.append(target, start);
}

void CFormBuilder::EndTextArea() {
    if (textArea_ == nullptr) return;
    textArea_->complete = true;
    textArea_ = nullptr;
}

}  // namespace corvane::html
