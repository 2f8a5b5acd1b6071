#pragma once
// Reading a stored mail message or news article: its header fields, and its body as the text a
// reader shows plus the attachments it carries. A MIME body is split into its parts: a
// multipart/alternative shows its text/plain part (its text/html part when there is none), text
// parts are decoded from their transfer encoding and character set to UTF-8, and every other
// part is an attachment with its decoded bytes. A body without MIME structure is shown as it is,
// less its uuencoded blocks ("begin 644 name" ... "end"), which become attachments.
//
// Hostile input costs bounded work: nesting deeper than kMaxDepth and parts beyond kMaxParts are
// not split further (they become attachments whole); nothing is ever read outside the text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::html {

struct MessageHeader {
    std::string name;
    std::string value;  // folded lines joined, leading and trailing white space removed
};

// The header fields up to the first empty line, and the body after it.
struct MessageEntity {
    std::vector<MessageHeader> headers;
    std::string_view body;
};
MessageEntity SplitMessage(std::string_view text);

// The value of the first field of that name (compared without case), or empty.
std::string_view HeaderValue(const std::vector<MessageHeader>& headers, std::string_view name);

// A parameter of a structured field such as Content-Type ("name=value" or "name=\"value\"" after
// a ";"), empty when it is absent. Quoted values may hold ";". The charset form
// "name*=charset'lang'%XX" and a name cut into sections ("name*0*=charset''%XX; name*1=...")
// come back joined in UTF-8, and win over a plain "name=" beside them (its ASCII stand-in).
std::string HeaderParameter(std::string_view value, std::string_view name);

// The address a From value names: between "<" and ">", else the value up to its first space.
std::string MailboxAddress(std::string_view value);

// The header names a MIME body: a MIME-Version or Content-Type field.
bool IsMimeEntity(const std::vector<MessageHeader>& headers);

struct MessageText {
    std::string utf8;
    bool html = false;  // the text of a text/html part: markup, not text to escape
};

struct MessageAttachment {
    std::string name;            // UTF-8, may be empty
    std::string type;            // lower case, without parameters
    std::string data;            // the decoded bytes
    std::string contentId = {};  // the Content-ID without its angle brackets, which "cid:" names
};

struct MessageContent {
    std::vector<MessageText> texts;  // in message order
    std::vector<MessageAttachment> attachments;
};

inline constexpr int kMaxDepth = 16;
inline constexpr std::size_t kMaxParts = 1000;

// The body of an entity with these headers; `charset` is used for a body without MIME
// structure that names none (empty: detected).
MessageContent ReadMessageBody(const std::vector<MessageHeader>& headers, std::string_view body,
                               std::string_view charset = {});

// A line that may begin a uuencoded block: "begin", three octal digits, a space and a name.
bool IsUuencodeBegin(std::string_view line);

// Takes the uuencoded blocks out of text; answers them as attachments.
std::vector<MessageAttachment> TakeUuencodedBlocks(std::string& text);

}  // namespace corvane::html
