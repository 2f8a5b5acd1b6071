#pragma once
// Sending a form: CFormEncoder turns its controls into application/x-www-form-urlencoded pairs,
// and SubmitForm says where the form goes and with what (a GET address, or a POST address and
// body, or an ISINDEX query).
//
// Names and values are first put into the document's character set, as browsers do (a
// character the set cannot hold is sent as "&#" decimal ";"), then every byte other than
// letters, digits and "*-./@_" is escaped, a space as "+".
//
// Which controls give pairs, in document order: every named HIDDEN, TEXT, PASSWORD and
// TEXTAREA; a CHECKBOX or RADIO while checked (its VALUE, empty when absent); a SELECT once per
// chosen option (VALUE, else its text); of the buttons only the one that sent the form (an
// IMAGE button as NAME.x and NAME.y, the point clicked); RESET buttons never.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "html/form_elements.h"

namespace corvane::html {

// The bytes of UTF-8 text in a character set named as the decoder names it ("UTF-8",
// "windows-1252", or an iconv name); empty or unknown names mean UTF-8.
std::string ToCharset(std::string_view utf8, std::string_view charset);

// What pressed submit: a button (with the point clicked, for an IMAGE button), or nothing when
// Enter was pressed in a text field.
struct Submitter {
    const CHTMLControl* button = nullptr;
    int x = 0;
    int y = 0;
};

class CFormEncoder {
  public:
    CFormEncoder(const CHTMLForm& form, std::string_view charset, Submitter submitter = {});

    // Appends the next pair to `target` ("&" first unless the target is empty or ends in "?"
    // or a line feed) and answers true; false when no pair is left.
    bool Next(std::string& target);
    // The content type of the body it makes.
    static constexpr std::string_view kContentType = "application/x-www-form-urlencoded";

  private:
    void Add(std::string_view name, std::string_view value);

    std::string charset_;
    std::vector<std::string> pairs_;  // encoded "name=value"
    std::size_t next_ = 0;
};

enum class SubmitMethod { kGet, kPost };

struct FormSubmission {
    std::string url;  // absolute
    SubmitMethod method = SubmitMethod::kGet;
    std::string body;  // POST only
    std::string contentType;
};

// `base`: the address relative actions are read against (BASE HREF, or the document's own).
FormSubmission SubmitForm(const CHTMLForm& form, std::string_view charset, std::string_view base,
                          Submitter submitter = {});

}  // namespace corvane::html
