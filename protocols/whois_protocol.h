#pragma once
// whois: sends one query to a whois server and shows the answer as a page whose URLs are links.
// whois:name asks the default server; whois://server/name asks that server.

#include <string>
#include <string_view>

#include "protocols/line_page.h"

namespace corvane::protocols {

inline constexpr std::string_view kDefaultWhoisServer = "whois.iana.org";

class CHTWhois : public CHTLinePage {
  public:
    int Open() override;
    void StartDialogue(int error) override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void PageLine(std::string_view line, bool continuation, std::string& html) override;
    void PageEnd(std::string& html) override;

  private:
    std::string query_;
    bool lineOpen_ = false;  // a line has been written and waits for its line break
};

// Text that may go to a server as part of one command line: no CR, LF or NUL, which would end
// the line early and let the rest pass for a command of its own.
bool IsSafeCommandText(std::string_view text);

}  // namespace corvane::protocols
