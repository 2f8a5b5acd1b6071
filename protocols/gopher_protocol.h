#pragma once
// gopher: sends one selector and either passes the answer through as a typed document or turns
// a menu (or search result) into a page of links. A search item without a query shows a page
// with a search field instead, without connecting.

#include <string>
#include <string_view>

#include "protocols/gopher_menu.h"
#include "protocols/line_page.h"

namespace corvane::protocols {

class CHTGopher : public CHTLinePage {
  public:
    int Open() override;
    void StartDialogue(int error) override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    void PageLine(std::string_view line, bool continuation, std::string& html) override;

  private:
    GopherPlan plan_;
    std::string host_;  // without its port, for the page heading
};

// Makes gopher: and whois: URLs load with their protocol classes.
void RegisterGopherAndWhois();

}  // namespace corvane::protocols
