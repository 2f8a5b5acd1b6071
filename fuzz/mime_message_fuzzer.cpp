// Any bytes read as a stored message: the MIME reader finishes with bounded output (parts are
// disjoint pieces of the input, so decoded attachments never outgrow it and text at most triples
// in UTF-8), and the message page is written for it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/mime_message.h"
#include "mail/message_page.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::html;
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const MessageEntity entity = SplitMessage(message);
    MessageContent content = ReadMessageBody(entity.headers, entity.body);
    std::size_t attached = 0;
    std::size_t text = 0;
    for (MessageText& piece : content.texts) {
        text += piece.utf8.size();
        for (const MessageAttachment& block : TakeUuencodedBlocks(piece.utf8))
            attached += block.data.size();
    }
    for (const MessageAttachment& attachment : content.attachments)
        attached += attachment.data.size();
    if (attached > size || text > 3 * size + 3) std::abort();
    if (content.texts.size() + content.attachments.size() > kMaxParts + 1) std::abort();
    const std::string page = corvane::mail::MessagePageHtml(message, "mail:///m/CVT1.ML");
    if (!page.starts_with("<title>") && !page.starts_with("<pre>\n")) std::abort();
    return 0;
}
