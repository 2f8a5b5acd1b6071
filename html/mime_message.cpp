#include "html/mime_message.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

#include "core/url_escapes.h"
#include "html/mime_text.h"
#include "platform/ascii.h"

namespace corvane::html {
namespace {

// The line at `at` without its end; `next` becomes the start of the following line.
std::string_view LineAt(std::string_view text, std::size_t at, std::size_t& next) {
    const std::size_t end = text.find('\n', at);
    next = end == std::string_view::npos ? text.size() : end + 1;
    std::string_view line =
        text.substr(at, (end == std::string_view::npos ? text.size() : end) - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::string TypeOf(std::string_view contentType) {
    std::string type = AsciiLower(TrimAsciiSpace(contentType.substr(0, contentType.find(';'))));
    return type.find('/') == std::string::npos ? std::string("text/plain") : type;
}

std::string DecodeTransfer(std::string_view body, std::string_view encoding) {
    const std::string lower = AsciiLower(TrimAsciiSpace(encoding));
    if (lower == "base64") return DecodeBase64(body);
    if (lower == "quoted-printable") return DecodeQuotedPrintable(body);
    return std::string(body);
}

// The parts between the delimiter lines of a multipart body; empty when the boundary never
// occurs. The line end before a delimiter belongs to the delimiter.
std::vector<std::string_view> SplitParts(std::string_view body, std::string_view boundary) {
    std::vector<std::string_view> parts;
    if (boundary.empty()) return parts;
    const std::string delimiter = "--" + std::string(boundary);
    std::size_t partStart = std::string_view::npos;
    for (std::size_t at = 0, next = 0; at < body.size(); at = next) {
        const std::string_view line = LineAt(body, at, next);
        if (!line.starts_with(delimiter)) continue;
        std::string_view rest = line.substr(delimiter.size());
        const bool last = rest.starts_with("--");
        if (last) rest.remove_prefix(2);
        if (!TrimAsciiSpace(rest).empty()) continue;  // a longer boundary that merely starts alike
        if (partStart != std::string_view::npos) {
            std::size_t end = at;
            if (end > partStart && body[end - 1] == '\n') --end;
            if (end > partStart && body[end - 1] == '\r') --end;
            parts.push_back(body.substr(partStart, end - partStart));
            if (parts.size() >= kMaxParts) return parts;
        }
        if (last) return parts;
        partStart = next;
    }
    // A body cut short keeps what its last part holds.
    if (partStart != std::string_view::npos && partStart < body.size())
        parts.push_back(body.substr(partStart));
    return parts;
}

class BodyReader {
  public:
    explicit BodyReader(MessageContent& content) : content_(content) {}

    void Entity(const std::vector<MessageHeader>& headers, std::string_view body, int depth,
                std::string_view fallbackCharset) {
        const std::string_view contentType = HeaderValue(headers, "Content-Type");
        std::string type = TypeOf(contentType);
        if (type.starts_with("multipart/")) {
            if (depth < kMaxDepth &&
                Multipart(type, HeaderParameter(contentType, "boundary"), body, depth))
                return;
            type = "text/plain";  // no parts to be found: the body is shown as it is
        }
        const std::string_view disposition = HeaderValue(headers, "Content-Disposition");
        const std::string dispositionType =
            AsciiLower(TrimAsciiSpace(disposition.substr(0, disposition.find(';'))));
        std::string name = HeaderParameter(disposition, "filename");
        if (name.empty()) name = HeaderParameter(contentType, "name");
        name = DecodeHeaderText(name);
        std::string data = DecodeTransfer(body, HeaderValue(headers, "Content-Transfer-Encoding"));
        const bool text = type == "text/plain" || type == "text/html";
        const bool shown = text && dispositionType != "attachment" &&
                           (name.empty() || dispositionType == "inline");
        if (shown) {
            std::string charset = HeaderParameter(contentType, "charset");
            if (charset.empty() && contentType.empty()) charset = fallbackCharset;
            content_.texts.push_back({ToUtf8(data, charset), type == "text/html"});
        } else {
            std::string_view id = TrimAsciiSpace(HeaderValue(headers, "Content-ID"));
            if (id.size() >= 2 && id.front() == '<' && id.back() == '>')
                id = id.substr(1, id.size() - 2);
            content_.attachments.push_back(
                {std::move(name), type, std::move(data), std::string(id)});
        }
    }

  private:
    // False when the body has no parts to split, so it is read as one.
    bool Multipart(const std::string& type, const std::string& boundary, std::string_view body,
                   int depth) {
        const std::vector<std::string_view> parts = SplitParts(body, boundary);
        if (parts.empty()) return false;
        std::vector<MessageEntity> entities;
        entities.reserve(parts.size());
        for (std::string_view part : parts) {
            if (++partsRead_ > kMaxParts) break;
            entities.push_back(SplitMessage(part));
        }
        if (type == "multipart/alternative" && !entities.empty()) {
            // One of the alternatives is shown: plain text first, then HTML, else the last.
            const MessageEntity* chosen = &entities.back();
            for (const char* wanted : {"text/plain", "text/html"}) {
                const auto found =
                    std::find_if(entities.rbegin(), entities.rend(), [&](const MessageEntity& e) {
                        return TypeOf(HeaderValue(e.headers, "Content-Type")) == wanted;
                    });
                if (found != entities.rend()) {
                    chosen = &*found;
                    break;
                }
            }
            Entity(chosen->headers, chosen->body, depth + 1, {});
            return true;
        }
        for (const MessageEntity& entity : entities)
            Entity(entity.headers, entity.body, depth + 1, {});
        return true;
    }

    MessageContent& content_;
    std::size_t partsRead_ = 0;
};

// The bytes of one uuencoded line: a length character, then four characters per three bytes.
bool DecodeUuLine(std::string_view line, std::string& out) {
    if (line.empty()) return false;
    const auto value = [](char c) { return (static_cast<unsigned char>(c) - 32) & 63; };
    const std::size_t length = static_cast<std::size_t>(value(line[0]));
    line.remove_prefix(1);
    if ((length + 2) / 3 * 4 > line.size() + 2) return false;  // some encoders drop the padding
    std::size_t written = 0;
    for (std::size_t at = 0; written < length; at += 4) {
        unsigned bits = 0;
        for (std::size_t i = 0; i < 4; ++i)
            bits = (bits << 6) |
                   (at + i < line.size() ? static_cast<unsigned>(value(line[at + i])) : 0u);
        for (int shift = 16; shift >= 0 && written < length; shift -= 8, ++written)
            out.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
    return true;
}

// Sections beyond this are dropped: no real name needs so many, and the map stays small.
constexpr unsigned kMostSections = 256;

// Calls `take(key, value)` for each "key=value" or "key=\"quoted\"" after a ";" of a structured
// field; quoted values may hold ";" and backslash escapes.
template <typename Take>
void ForEachParameter(std::string_view value, Take take) {
    std::size_t at = value.find(';');
    while (at != std::string_view::npos && at < value.size()) {
        ++at;
        const std::size_t equals = value.find('=', at);
        if (equals == std::string_view::npos) return;
        const std::string_view key = TrimAsciiSpace(value.substr(at, equals - at));
        std::size_t end = equals + 1;
        while (end < value.size() && IsAsciiSpace(value[end])) ++end;
        std::string parameter;
        if (end < value.size() && value[end] == '"') {
            for (++end; end < value.size() && value[end] != '"'; ++end) {
                if (value[end] == '\\' && end + 1 < value.size()) ++end;
                parameter.push_back(value[end]);
            }
            end = value.find(';', end);
        } else {
            const std::size_t stop = value.find(';', end);
            parameter = TrimAsciiSpace(value.substr(
                end, stop == std::string_view::npos ? std::string_view::npos : stop - end));
            end = stop;
        }
        take(key, std::move(parameter));
        at = end;
    }
}

// charset'language'percent-escaped bytes, in UTF-8.
std::string DecodeExtendedValue(std::string_view parameter) {
    const std::size_t first = parameter.find('\'');
    const std::size_t second =
        first == std::string_view::npos ? first : parameter.find('\'', first + 1);
    if (second == std::string_view::npos) return std::string(parameter);
    return ToUtf8(core::DecodeUrlEscapes(parameter.substr(second + 1)), parameter.substr(0, first));
}

}  // namespace

MessageEntity SplitMessage(std::string_view text) {
    MessageEntity entity;
    std::size_t at = 0;
    std::size_t next = 0;
    for (; at < text.size(); at = next) {
        const std::string_view line = LineAt(text, at, next);
        if (line.empty()) {
            at = next;
            break;
        }
        if ((line.front() == ' ' || line.front() == '\t') && !entity.headers.empty()) {
            entity.headers.back().value += ' ';
            entity.headers.back().value += TrimAsciiSpace(line);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            // Not a header line: the body starts here (a part without headers).
            break;
        }
        entity.headers.push_back({std::string(TrimAsciiSpace(line.substr(0, colon))),
                                  std::string(TrimAsciiSpace(line.substr(colon + 1)))});
    }
    entity.body = text.substr(std::min(at, text.size()));
    return entity;
}

std::string_view HeaderValue(const std::vector<MessageHeader>& headers, std::string_view name) {
    for (const MessageHeader& header : headers)
        if (EqualsIgnoreCase(header.name, name)) return header.value;
    return {};
}

std::string HeaderParameter(std::string_view value, std::string_view name) {
    std::string plain;
    bool plainFound = false;
    std::string extended;  // name*=charset'language'escaped
    bool extendedFound = false;
    // Continuations name*0, name*1*, ... by number; a gap ends the value.
    std::map<unsigned, std::pair<std::string, bool>> sections;
    ForEachParameter(value, [&](std::string_view key, std::string parameter) {
        if (key.size() <= name.size() || !EqualsIgnoreCase(key.substr(0, name.size()), name)) {
            if (!plainFound && EqualsIgnoreCase(key, name)) {
                plain = std::move(parameter);
                plainFound = true;
            }
            return;
        }
        std::string_view rest = key.substr(name.size());
        if (rest[0] != '*') return;
        rest.remove_prefix(1);
        if (rest.empty()) {
            if (!extendedFound) extended = std::move(parameter);
            extendedFound = true;
            return;
        }
        const bool escaped = rest.back() == '*';
        if (escaped) rest.remove_suffix(1);
        unsigned number = 0;
        const auto [end, fault] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (fault != std::errc() || end != rest.data() + rest.size() || rest.empty() ||
            (rest.size() > 1 && rest[0] == '0') || number >= kMostSections)
            return;
        sections.try_emplace(number, std::move(parameter), escaped);
    });
    if (extendedFound) return DecodeExtendedValue(extended);
    if (sections.count(0) != 0) {
        // The first section names the charset when it is escaped; later escaped ones only
        // carry percent escapes.
        const bool firstEscaped = sections[0].second;
        std::string joined;
        std::string charset;
        for (unsigned number = 0; sections.count(number) != 0; ++number) {
            auto& [text, escaped] = sections[number];
            std::string_view part = text;
            if (number == 0 && escaped) {
                const std::size_t first = part.find('\'');
                const std::size_t second =
                    first == std::string_view::npos ? first : part.find('\'', first + 1);
                if (second != std::string_view::npos) {
                    charset = part.substr(0, first);
                    part.remove_prefix(second + 1);
                }
            }
            joined += escaped ? core::DecodeUrlEscapes(part) : std::string(part);
        }
        return firstEscaped && !charset.empty() ? ToUtf8(joined, charset) : joined;
    }
    return plain;
}

std::string MailboxAddress(std::string_view value) {
    if (const std::size_t open = value.find('<'); open != std::string_view::npos) {
        const std::size_t close = value.find('>', open + 1);
        return std::string(value.substr(
            open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
    }
    value = TrimAsciiSpace(value);
    return std::string(value.substr(0, value.find(' ')));
}

bool IsMimeEntity(const std::vector<MessageHeader>& headers) {
    return !HeaderValue(headers, "MIME-Version").empty() ||
           !HeaderValue(headers, "Content-Type").empty();
}

MessageContent ReadMessageBody(const std::vector<MessageHeader>& headers, std::string_view body,
                               std::string_view charset) {
    MessageContent content;
    BodyReader(content).Entity(headers, body, 0, charset);
    return content;
}

bool IsUuencodeBegin(std::string_view line) {
    return line.starts_with("begin ") && line.size() > 10 && IsAsciiDigit(line[6]) &&
           IsAsciiDigit(line[7]) && IsAsciiDigit(line[8]) && line[9] == ' ';
}

std::vector<MessageAttachment> TakeUuencodedBlocks(std::string& text) {
    std::vector<MessageAttachment> blocks;
    std::string kept;
    std::size_t at = 0;
    std::size_t next = 0;
    for (; at < text.size(); at = next) {
        const std::string_view line = LineAt(text, at, next);
        if (!IsUuencodeBegin(line)) {
            kept.append(text, at, next - at);
            continue;
        }
        MessageAttachment block{
            std::string(TrimAsciiSpace(line.substr(10))), "application/octet-stream", {}};
        std::size_t after = next;
        bool ended = false;
        while (after < text.size()) {
            std::size_t following = 0;
            const std::string_view data = LineAt(text, after, following);
            after = following;
            if (data == "end") {
                ended = true;
                break;
            }
            if (data != "`" && !DecodeUuLine(data, block.data)) break;
        }
        if (!ended) {
            // Not a block after all: the text stays as it was.
            kept.append(text, at, next - at);
            continue;
        }
        blocks.push_back(std::move(block));
        next = after;
    }
    if (!blocks.empty()) text = std::move(kept);
    return blocks;
}

}  // namespace corvane::html
