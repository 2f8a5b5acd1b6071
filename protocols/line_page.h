#pragma once
// A page generated from the lines of a server's answer (whois answers, gopher menus): every
// delivered line is turned into HTML by the subclass and handed to the HTML convertor through the
// protocol's own buffer. A line longer than the line area arrives in pieces; the subclass is told
// which pieces continue a line, so it can never mistake the middle of a line for a line start.

#include <cstdint>
#include <string>
#include <string_view>

#include "protocols/tcp_protocol.h"

namespace corvane::protocols {

class CHTLinePage : public CHTTCP {
  public:
    CHTLinePage();

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    // Makes the HTML convertor and starts the page with `header`; the lines of the reply to the
    // last command follow. False when no convertor could be made (error set).
    bool StartPage(std::string header);
    // Ends the page after what has been written: later lines are ignored.
    void EndPage();
    // Appends the HTML for one delivered line (or a later piece of a long one).
    virtual void PageLine(std::string_view line, bool continuation, std::string& html) = 0;
    // Appends the closing text when the server closes the connection.
    virtual void PageEnd(std::string& html) { (void)html; }

  private:
    void OnLine(int result);
    std::int32_t PageSource(std::uint8_t* destination, std::int32_t maxLength);

    static constexpr std::int32_t kPageBufferSize = 4096;
    std::string pending_;  // HTML not yet handed to the convertor
    std::size_t taken_ = 0;
    bool ended_ = false;
    int endStatus_ = 0;  // what the source answers once the pending HTML is taken
    std::uint8_t pageBuffer_[kPageBufferSize] = {};
};

}  // namespace corvane::protocols
