#pragma once
// Builds forms while a document is parsed: FORM, INPUT, SELECT, OPTION, TEXTAREA and ISINDEX,
// and the text tokens of OPTION and TEXTAREA. A control met outside any form opens a form of
// its own with no attributes. One CFormBuilder per document builder: the open form, SELECT and
// TEXTAREA and the control identifier counter belong to one document.
//
// Attribute values from the page are bounded here (widths, lengths, rows) so that nothing later
// sizes a window or a buffer from an absurd number.

#include <cstdint>
#include <string_view>

#include "html/form_elements.h"

namespace corvane::html {

class CHTMLBuilder;

class CFormBuilder {
  public:
    static constexpr std::int32_t kMaxCharacters = 256;  // SIZE and COLS
    static constexpr std::int32_t kMaxRows = 100;        // ROWS and a SELECT's SIZE
    static constexpr std::int32_t kMaxLength = 1 << 20;  // MAXLENGTH

    explicit CFormBuilder(CHTMLBuilder& builder) : builder_(builder) {}

    // A form tag (tag number, with kEndTagFlag for an end tag) or a text token of OPTION or
    // TEXTAREA, with the tokenizer's text.
    void HandleToken(int token, std::string_view text);
    // The data ended: a SELECT or TEXTAREA left open is complete.
    void Finish();

  private:
    void BeginForm(std::string_view text);
    void EndForm();
    void IsIndex();
    void AddInput(std::string_view text);
    void BeginSelect(std::string_view text);
    void AddOption(std::string_view text);
    void AddOptionText(std::string_view text);
    void EndSelect();
    void BeginTextArea(std::string_view text);
    void AddTextAreaText(std::string_view text);
    void EndTextArea();
    // Closes the open form with its SELECT and TEXTAREA.
    void CloseForm();
    CHTMLForm& OpenForm();
    CHTMLControl* AddControl(std::int32_t type, std::string_view text);

    CHTMLBuilder& builder_;
    CHTMLForm* form_ = nullptr;
    CHTMLControl* select_ = nullptr;
    CHTMLControl* textArea_ = nullptr;
    bool textAreaEndsInCr_ = false;
    std::int32_t nextIdentifier_ = kFirstControlIdentifier;
};

}  // namespace corvane::html
