#pragma once
// The form controls of the document a view shows: their windows, kept on their layout boxes as
// the view scrolls, and what the user does with them (typing, ticking, choosing, Enter, Tab,
// RESET, submitting). What the user enters goes into the control elements at once, so a form is
// always sent from the document.
//
// Windows are made when their control first comes into view, not for every control of the
// document: a page of 100,000 controls costs windows only for what the user scrolls past.
// Radio buttons of one NAME in one form are exclusive here, whatever the windows do.
//
// Memory: the windows belong to this object and go when the document changes (SetDocument),
// before the elements they refer to.

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "html/document.h"
#include "html/form_encoder.h"
#include "render/control_window.h"
#include "render/layout_box.h"

namespace corvane::render {

class CFlowLayout;

class CFormControls : public ControlEvents {
  public:
    explicit CFormControls(const CFlowLayout& layout) : layout_(layout) {}
    ~CFormControls() override;

    // Without a factory (headless views) controls are laid out and dumped but get no windows.
    void SetFactory(ControlFactory* factory);
    ControlFactory* Factory() const { return factory_; }
    // Drops every window. Actions are read against the document's BASE HREF, else its `url`.
    void SetDocument(const html::CHTML* document, std::string url);
    // Makes the windows of the controls whose boxes meet `visible` (document coordinates),
    // moves every window to its box less `scroll` and hides those out of view.
    void Place(const DisplayList& list, const Rect& visible, Point scroll);

    void Reset(const html::CHTMLForm& form);
    void Submit(const html::CHTMLForm& form, html::Submitter submitter);

    // A form was sent: the window loads the submission.
    std::function<void(const html::FormSubmission&)> onSubmit;
    // Tab moves to a control out of view: scroll to show this document area.
    std::function<void(const Rect&)> onReveal;

    // The window of a control, or null when it has none (yet).
    ControlWindow* WindowOf(const html::CHTMLControl& control) const;

    // ControlEvents
    void TextEdited(int key, std::string text) override;
    void Toggled(int key, bool checked) override;
    void SelectionChanged(int key, const std::vector<int>& rows) override;
    void Clicked(int key, Point at) override;
    void EnterPressed(int key) override;
    void TabPressed(int key) override;

  private:
    struct Entry {
        const html::CHTMLControl* control = nullptr;
        std::unique_ptr<ControlWindow> window;
        Rect placed;
        unsigned pass = 0;  // the last Place that found it in view
        bool shown = false;
    };

    Entry* EntryOf(int key);
    Entry& EntryFor(const html::CHTMLControl& control);
    void MakeWindow(Entry& entry, int key);
    void ShowState(const html::CHTMLControl& control);
    void Focus(const html::CHTMLControl& control);

    const CFlowLayout& layout_;
    ControlFactory* factory_ = nullptr;
    const html::CHTML* document_ = nullptr;
    std::string url_;
    std::vector<Entry> entries_;  // indexed by key
    std::unordered_map<const html::CHTMLControl*, int> keys_;
    std::vector<int> shown_;  // keys of the windows shown
    const DisplayList* list_ = nullptr;
    Point scroll_;
    unsigned pass_ = 0;
};

}  // namespace corvane::render
