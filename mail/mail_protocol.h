#pragma once
// CHTMail serves the mail scheme: "mail:" and a message file's path shows the stored message as
// a page (see message_page.h); the message's path followed by "/number/name" saves one of its
// attachments through the Save As download; a directory is listed as the file scheme lists it.
// The page is marked offline: an HTML part loads no image, background or refresh.

#include <cstdint>
#include <string>

#include "protocols/file_protocol.h"

namespace corvane::mail {

class CHTMail : public protocols::CHTFile {
  public:
    int Open() override;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int OpenPage(const std::string& path);
    int OpenAttachment(const std::string& path, std::size_t number);
    bool ReadMessage(const std::string& path, std::string& message);
    std::int32_t TextSource(std::uint8_t* destination, std::int32_t maxLength);

    std::string text_;
    std::size_t taken_ = 0;
};

// Makes mail: addresses load with CHTMail.
void RegisterMailProtocol();

}  // namespace corvane::mail
