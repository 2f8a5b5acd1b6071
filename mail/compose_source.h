#pragma once
// What the Send Mail window hands to the mailto protocol as the body of its form post: the
// fields as typed and the text. The window learns the outcome once, through onFinished: true
// when the server accepted the message, false when the send failed or the request went away
// without sending it.

#include <functional>
#include <string>

#include "core/runtime_class.h"

namespace corvane::mail {

class CComposeSource : public core::CObject {
  public:
    ~CComposeSource() override { Finish(false); }

    // Always this type, so the post looks like any form's.
    static constexpr std::string_view kContentType = "application/x-www-form-urlencoded";

    // Reports the outcome the first time; later calls do nothing.
    void Finish(bool accepted) {
        if (finished_) return;
        finished_ = true;
        sent = accepted;
        if (onFinished) onFinished(accepted);
    }

    std::string to;                 // the Mail To field: names and addresses, comma-separated
    std::string cc;                 // the Cc field
    std::string subject;            // UTF-8; a single space when the field was empty
    std::string furtherRecipients;  // Mail To after its first item, then Cc
    std::string attachmentPath;     // empty for none
    std::string text;               // the body, UTF-8, with the edit's line ends
    bool sent = false;
    std::function<void(bool accepted)> onFinished;

  private:
    bool finished_ = false;
};

}  // namespace corvane::mail
