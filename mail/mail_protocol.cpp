#include "mail/mail_protocol.h"

#include "core/request.h"
#include "core/scheme_registry.h"
#include "core/status.h"
#include "mail/message_page.h"
#include "platform/whole_file.h"
#include "protocols/directory_listing.h"
#include "protocols/local_target.h"
#include "protocols/pending_text.h"

namespace corvane::mail {

const core::CRuntimeClass CHTMail::kRuntimeClass =
    core::MakeRuntimeClass<CHTMail, protocols::CHTFile>("CHTMail");

void RegisterMailProtocol() {
    core::Schemes().SetProtocolClass(core::kSchemeMail, &CHTMail::kRuntimeClass);
}

int CHTMail::Open() {
    error = core::kFailure;
    if (request == nullptr) return core::kOpenFailed;
    const core::CHTAddress& address = request->address;
    const std::string home = protocols::UserHomeDirectory();
    const protocols::LocalTarget target =
        protocols::ResolveLocalTarget(address.host, address.path, home);
    if (target.kind == protocols::LocalTarget::Kind::kFile) return OpenPage(target.path);
    if (target.kind != protocols::LocalTarget::Kind::kFailed) return CHTFile::Open();
    const std::optional<AttachmentPath> attachment = ParseAttachmentPath(address.path);
    if (!attachment) return core::kOpenFailed;
    const protocols::LocalTarget message =
        protocols::ResolveLocalTarget(address.host, attachment->messagePath, home);
    if (message.kind != protocols::LocalTarget::Kind::kFile) return core::kOpenFailed;
    return OpenAttachment(message.path, attachment->number);
}

bool CHTMail::ReadMessage(const std::string& path, std::string& message) {
    return !platform::ReadWholeFile(path, kMaxMessageBytes, message);
}

int CHTMail::OpenPage(const std::string& path) {
    std::string message;
    if (!ReadMessage(path, message)) return core::kOpenFailed;
    text_ = MessagePageHtml(message, request->canonicalUrl);
    taken_ = 0;
    request->size = text_.size();
    // The page is UTF-8 whatever the message's character sets, and fetches nothing it names.
    request->charset = "UTF-8";
    request->offline = true;
    SetDataSource(&CHTMail::TextSource);
    if (!StartOwnPage()) return core::kOpenFailed;
    error = 0;
    return core::kOpenComplete;
}

int CHTMail::OpenAttachment(const std::string& path, std::size_t number) {
    std::string message;
    if (!ReadMessage(path, message)) return core::kOpenFailed;
    std::optional<html::MessageAttachment> attachment = MessageAttachmentAt(message, number);
    if (!attachment) return core::kOpenFailed;
    text_ = std::move(attachment->data);
    taken_ = 0;
    request->size = text_.size();
    SetDataSource(&CHTMail::TextSource);
    contentType = attachment->type;
    error = 0;
    // A picture the message's own page shows is decoded in place; other parts are saved.
    const bool handled = embedded ? ChooseConvertor(attachment->name) : SaveDataToFile();
    if (!handled && convertor == nullptr) {
        error = core::kFailure;
        return core::kOpenFailed;
    }
    return core::kOpenComplete;
}

std::int32_t CHTMail::TextSource(std::uint8_t* destination, std::int32_t maxLength) {
    return protocols::TakePendingText(text_, taken_, destination, maxLength);
}

}  // namespace corvane::mail
