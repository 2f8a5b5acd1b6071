#include "protocols/attachment_url.h"

#include "platform/ascii.h"
#include "protocols/local_path.h"

namespace corvane::protocols {

std::string AttachmentUrl(std::string_view messageUrl, std::size_t number, std::string_view name) {
    std::string safeName(name);
    for (char& c : safeName)
        if (c == '/' || c == '\\' || c == '?' || c == '#') c = '_';
    return std::string(messageUrl) + "/" + std::to_string(number) + "/" +
           EscapePathForUrl(safeName);
}

std::optional<AttachmentPath> ParseAttachmentPath(std::string_view addressPath) {
    const std::size_t nameSlash = addressPath.rfind('/');
    if (nameSlash == std::string_view::npos || nameSlash == 0) return std::nullopt;
    const std::size_t numberSlash = addressPath.rfind('/', nameSlash - 1);
    if (numberSlash == std::string_view::npos || numberSlash == 0) return std::nullopt;
    const std::string_view digits =
        addressPath.substr(numberSlash + 1, nameSlash - numberSlash - 1);
    if (digits.empty() || digits.size() > 6) return std::nullopt;
    std::size_t number = 0;
    for (char c : digits) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        number = number * 10 + static_cast<std::size_t>(c - '0');
    }
    return AttachmentPath{std::string(addressPath.substr(0, numberSlash)), number};
}

}  // namespace corvane::protocols
