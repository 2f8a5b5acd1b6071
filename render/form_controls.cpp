#include "render/form_controls.h"

#include <algorithm>

#include "render/flow_layout.h"

namespace corvane::render {
namespace {

ControlKind KindOf(const html::CHTMLControl& control) {
    switch (control.type) {
        case html::kControlPassword:
            return ControlKind::kPassword;
        case html::kControlCheckBox:
            return ControlKind::kCheckBox;
        case html::kControlRadio:
            return ControlKind::kRadio;
        case html::kControlReset:
        case html::kControlSubmit:
        case html::kControlImage:
            return ControlKind::kButton;
        case html::kControlList:
            return ControlKind::kList;
        case html::kControlDropDown:
            return ControlKind::kDropDown;
        case html::kControlTextArea:
            return ControlKind::kTextArea;
        default:
            return ControlKind::kEdit;
    }
}

std::vector<bool> SelectedOptions(const html::CHTMLControl& control) {
    std::vector<bool> selected;
    selected.reserve(control.options.size());
    for (const html::COption& option : control.options) selected.push_back(option.selected);
    return selected;
}

}  // namespace

CFormControls::~CFormControls() = default;

void CFormControls::SetFactory(ControlFactory* factory) {
    SetDocument(document_, url_);
    factory_ = factory;
}

void CFormControls::SetDocument(const html::CHTML* document, std::string url) {
    entries_.clear();
    keys_.clear();
    shown_.clear();
    list_ = nullptr;
    document_ = document;
    url_ = std::move(url);
}

CFormControls::Entry* CFormControls::EntryOf(int key) {
    if (key < 0 || static_cast<std::size_t>(key) >= entries_.size()) return nullptr;
    return &entries_[static_cast<std::size_t>(key)];
}

CFormControls::Entry& CFormControls::EntryFor(const html::CHTMLControl& control) {
    const auto [it, added] = keys_.try_emplace(&control, static_cast<int>(entries_.size()));
    if (added) entries_.push_back(Entry{&control, nullptr, {}, 0, false});
    return entries_[static_cast<std::size_t>(it->second)];
}

ControlWindow* CFormControls::WindowOf(const html::CHTMLControl& control) const {
    const auto it = keys_.find(&control);
    return it == keys_.end() ? nullptr
                             : entries_[static_cast<std::size_t>(it->second)].window.get();
}

void CFormControls::MakeWindow(Entry& entry, int key) {
    const html::CHTMLControl& control = *entry.control;
    ControlSpec spec;
    spec.kind = KindOf(control);
    spec.font = layout_.ControlFont(control).Spec();
    spec.text = spec.kind == ControlKind::kButton ? control.label : control.text;
    spec.maxLength = control.maxLength;
    spec.multiple = control.multiple;
    for (const html::COption& option : control.options) spec.options.push_back(option.text);
    entry.window = factory_->Create(spec, key, *this);
    if (!entry.window) return;
    entry.window->SetChecked(control.checked);
    if (!control.options.empty()) entry.window->SetSelection(SelectedOptions(control));
}

void CFormControls::Place(const DisplayList& list, const Rect& visible, Point scroll) {
    list_ = &list;
    scroll_ = scroll;
    if (factory_ == nullptr) return;
    ++pass_;
    std::vector<int> shown;
    for (const std::uint32_t index : list.controls) {
        const LayoutBox& box = list.boxes[index];
        if (!box.rect.Intersects(visible)) continue;
        const auto& control = static_cast<const html::CHTMLControl&>(*box.element);
        Entry& entry = EntryFor(control);
        const int key = keys_[&control];
        if (!entry.window) MakeWindow(entry, key);
        if (!entry.window) continue;
        Rect rect = box.rect;
        rect.Offset(-scroll.x, -scroll.y);
        if (!(rect == entry.placed)) {
            entry.window->Move(rect);
            entry.placed = rect;
        }
        if (!entry.shown) {
            entry.window->Show(true);
            entry.shown = true;
        }
        entry.pass = pass_;
        shown.push_back(key);
    }
    for (const int key : shown_) {
        Entry& entry = entries_[static_cast<std::size_t>(key)];
        if (entry.pass == pass_ || !entry.shown) continue;
        entry.window->Show(false);
        entry.shown = false;
    }
    shown_ = std::move(shown);
}

void CFormControls::TextEdited(int key, std::string text) {
    if (Entry* entry = EntryOf(key)) entry->control->text = std::move(text);
}

void CFormControls::Toggled(int key, bool checked) {
    Entry* entry = EntryOf(key);
    if (entry == nullptr) return;
    const html::CHTMLControl& control = *entry->control;
    if (control.type != html::kControlRadio) {
        control.checked = checked;
        return;
    }
    // A radio button is turned off only by choosing another of its group.
    control.checked = true;
    if (!checked) {
        entry->window->SetChecked(true);
        return;
    }
    for (const html::CHTMLControl* other : control.form->controls) {
        if (other == &control || other->type != html::kControlRadio ||
            other->name != control.name || !other->checked)
            continue;
        other->checked = false;
        if (ControlWindow* window = WindowOf(*other)) window->SetChecked(false);
    }
}

void CFormControls::SelectionChanged(int key, const std::vector<int>& rows) {
    Entry* entry = EntryOf(key);
    if (entry == nullptr) return;
    const auto& options = entry->control->options;
    for (const html::COption& option : options) option.selected = false;
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < options.size())
            options[static_cast<std::size_t>(row)].selected = true;
    }
}

void CFormControls::Clicked(int key, Point at) {
    Entry* entry = EntryOf(key);
    if (entry == nullptr) return;
    const html::CHTMLControl& control = *entry->control;
    switch (control.type) {
        case html::kControlReset:
            Reset(*control.form);
            break;
        case html::kControlSubmit:
            Submit(*control.form, html::Submitter{&control});
            break;
        case html::kControlImage:
            Submit(*control.form, html::Submitter{&control, at.x, at.y});
            break;
        default:
            break;
    }
}

void CFormControls::EnterPressed(int key) {
    const Entry* entry = EntryOf(key);
    if (entry == nullptr) return;
    const html::CHTMLForm& form = *entry->control->form;
    if (form.textFieldCount == 1) Submit(form, html::Submitter{});
}

void CFormControls::TabPressed(int key) {
    const Entry* entry = EntryOf(key);
    if (entry == nullptr) return;
    const html::CHTMLControl& control = *entry->control;
    const html::CHTMLForm& form = *control.form;
    if (control.type == html::kControlTextArea || form.textFieldCount < 2) return;
    const auto& controls = form.controls;
    const auto here = std::find(controls.begin(), controls.end(), &control);
    if (here == controls.end()) return;
    // The next text field in the form, coming round to the first after the last.
    for (auto it = std::next(here);; ++it) {
        if (it == controls.end()) it = controls.begin();
        if (it == here) return;
        if (html::IsTextField((*it)->type)) {
            Focus(**it);
            return;
        }
    }
}

void CFormControls::Focus(const html::CHTMLControl& control) {
    const auto it = keys_.find(&control);
    const bool shown = it != keys_.end() && entries_[static_cast<std::size_t>(it->second)].shown;
    if (!shown && list_ != nullptr && onReveal) {
        // Out of view: showing its box makes its window.
        for (const std::uint32_t index : list_->controls) {
            if (list_->boxes[index].element != &control) continue;
            onReveal(list_->boxes[index].rect);
            break;
        }
    }
    if (ControlWindow* window = WindowOf(control)) window->Focus();
}

void CFormControls::Reset(const html::CHTMLForm& form) {
    for (const html::CHTMLControl* control : form.controls) {
        control->text = control->initialText;
        control->checked = control->initiallyChecked;
        for (const html::COption& option : control->options)
            option.selected = option.initiallySelected;
        ShowState(*control);
    }
}

void CFormControls::ShowState(const html::CHTMLControl& control) {
    ControlWindow* window = WindowOf(control);
    if (window == nullptr) return;
    switch (KindOf(control)) {
        case ControlKind::kEdit:
        case ControlKind::kPassword:
        case ControlKind::kTextArea:
            window->SetText(control.text);
            break;
        case ControlKind::kCheckBox:
        case ControlKind::kRadio:
            window->SetChecked(control.checked);
            break;
        case ControlKind::kList:
        case ControlKind::kDropDown:
            window->SetSelection(SelectedOptions(control));
            break;
        case ControlKind::kButton:
            break;
    }
}

void CFormControls::Submit(const html::CHTMLForm& form, html::Submitter submitter) {
    // The character set and a BASE HREF are known once data came, so they are read now.
    const std::string charset = document_ ? document_->charset : std::string();
    const std::string& base = document_ && document_->base ? *document_->base : url_;
    if (onSubmit) onSubmit(html::SubmitForm(form, charset, base, submitter));
}

}  // namespace corvane::render
