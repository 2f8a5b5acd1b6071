#include "core/address.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/scheme_registry.h"
#include "core/url_escapes.h"
#include "platform/ascii.h"

namespace corvane::core {
namespace {

// The text of the address: from the first non-blank byte up to the next blank or NUL.
std::string_view AddressText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::size_t begin = 0;
    while (begin < text.size() && IsAsciiSpace(text[begin])) ++begin;
    std::size_t end = begin;
    while (end < text.size() && !IsAsciiSpace(text[end])) ++end;
    return text.substr(begin, end - begin);
}

void ResolveAgainstBase(CHTAddress& address, const CHTAddress& base) {
    const CHTSchemeRegistry& schemes = Schemes();
    if (address.scheme == kSchemeNone) address.scheme = base.scheme;
    if (!schemes.IsValid(address.scheme) || address.scheme != base.scheme || address.hasLocation)
        return;
    address.host = base.host;
    address.hasLocation = base.hasLocation;
    if (address.absolutePath || !base.absolutePath || schemes.IsOpaquePath(address.scheme)) return;
    address.absolutePath = true;
    if (address.path.empty() && !address.anchor.empty()) {
        address.path = base.path;
        return;
    }
    std::size_t lastSlash = base.path.rfind('/');
    if (lastSlash != std::string::npos) address.path.insert(0, base.path, 0, lastSlash + 1);
}

}  // namespace

void ParseAddress(CHTAddress& address, std::string_view text, const CHTAddress* base) {
    address = CHTAddress{};
    std::string_view rest = AddressText(text);

    std::size_t colon = rest.find_first_of(":/#");
    if (colon != std::string_view::npos && rest[colon] == ':') {
        int scheme = FindScheme(rest.substr(0, colon));
        if (scheme != kSchemeNone) {
            address.scheme = static_cast<std::int16_t>(scheme);
            rest.remove_prefix(colon + 1);
        }
    }

    // A scheme that never writes a location never reads one either, so its canonical string
    // reads back as itself ("mailto:////a" keeps its path).
    bool locationFollows = false;
    const bool readsLocation =
        address.scheme == kSchemeNone || Schemes().HasNetworkLocation(address.scheme);
    if (readsLocation && rest.starts_with("//")) {
        rest.remove_prefix(2);
        locationFollows = true;
    }
    if (address.scheme == kSchemeNone && base == nullptr) {
        // A bare host name, as typed: read under the default scheme.
        address.scheme = kSchemeHttp;
        locationFollows = true;
    }
    if (locationFollows) {
        std::size_t hostEnd = std::min(rest.find_first_of("/#"), rest.size());
        address.host = rest.substr(0, hostEnd);
        address.hasLocation = true;
        address.absolutePath = true;
        rest.remove_prefix(hostEnd);
    }

    std::size_t hash = rest.rfind('#');
    if (hash != std::string_view::npos) {
        address.anchor = rest.substr(hash + 1);
        rest = rest.substr(0, hash);
    }
    if (rest.starts_with('/')) {
        rest.remove_prefix(1);
        address.absolutePath = true;
    }
    address.path = rest;

    if (base != nullptr) ResolveAgainstBase(address, *base);
    NormalizeDotSegments(address.path);
}

CHTAddress ParseAddress(std::string_view text, const CHTAddress* base) {
    CHTAddress address;
    ParseAddress(address, text, base);
    return address;
}

void NormalizeDotSegments(std::string& path) {
    const std::string_view rest(path);
    // One pass over the segments with a stack of kept ones, so that hostile paths full of ".."
    // cost linear time. A "." or ".." with nothing before it to remove is dropped too, so the
    // result holds neither and stays the same when it is read again.
    std::vector<std::string_view> kept;
    std::size_t position = 0;
    while (position <= rest.size()) {
        std::size_t slash = rest.find('/', position);
        bool last = slash == std::string_view::npos;
        std::string_view segment = rest.substr(position, last ? rest.npos : slash - position);
        position = last ? rest.size() + 1 : slash + 1;
        if (segment == ".") {
        } else if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
        } else {
            kept.push_back(segment);
        }
    }
    std::string normalized;
    normalized.reserve(rest.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) normalized += '/';
        normalized += kept[i];
    }
    path = std::move(normalized);
}

std::string FormatAddress(const CHTAddress& address) {
    const CHTSchemeRegistry& schemes = Schemes();
    std::string text;
    bool locationWritable = true;
    if (schemes.IsValid(address.scheme)) {
        text += schemes.SchemeName(address.scheme);
        text += ':';
        locationWritable = schemes.HasNetworkLocation(address.scheme);
    }
    bool locationWritten = locationWritable && address.hasLocation;
    const bool slashBeforePath = locationWritten || address.absolutePath;
    // A path that would begin with "//" after the colon of a scheme with locations would read
    // back as a location: an empty location in front keeps it a path.
    const bool pathLooksLikeLocation =
        !locationWritten && locationWritable &&
        std::string_view(address.path).starts_with(slashBeforePath ? "/" : "//");
    if (locationWritten || pathLooksLikeLocation) {
        text += "//";
        if (locationWritten) text += address.host;
    }
    if (slashBeforePath || pathLooksLikeLocation) text += '/';
    text += address.path;
    // An empty anchor still needs its "#" when the path holds one: the last "#" splits.
    if (!address.anchor.empty() || address.path.find('#') != std::string::npos) {
        text += '#';
        text += address.anchor;
    }
    return text;
}

namespace {

void AppendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            out += '+';
        } else if (IsUrlSafeByte(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
}

}  // namespace

void EscapeUrlText(std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    AppendEscaped(escaped, text);
    text = std::move(escaped);
}

std::string LocalPathToUrlPath(std::string_view path) {
    std::string result = "/";
    if (path.size() >= 2 && (path[1] == ':' || path[1] == '|')) {
        // "|" is the URL form of a drive's colon, so it is written as it is, never escaped.
        AppendEscaped(result, path.substr(0, 1));
        result += '|';
        path.remove_prefix(2);
    }
    std::string rest(path);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    AppendEscaped(result, rest);
    return result;
}

namespace {

bool DropsLeadingCharacter(std::string_view text) {
    if (text.empty()) return false;
    if (text[0] == ':') return true;
    if (text[0] == '.') return !text.starts_with("./") && !text.starts_with("../");
    return text.starts_with("/////");
}

void TrimTypedText(std::string& text) {
    std::size_t start = 0;
    for (;;) {
        while (start < text.size() && IsAsciiSpace(text[start])) ++start;
        if (!DropsLeadingCharacter(std::string_view(text).substr(start))) break;
        ++start;
    }
    std::size_t end = text.size();
    while (end > start && IsAsciiSpace(text[end - 1])) --end;
    text = text.substr(start, end - start);
}

bool HasKnownSchemePrefix(std::string_view text) {
    static constexpr std::array<std::string_view, 13> kPrefixes = {
        "file:",   "http:", "news:",   "newspost:", "mailto:", "whois:", "telnet:",
        "tn3270:", "ftp:",  "gopher:", "about:",    "mail:",   "https:",
    };
    return std::any_of(kPrefixes.begin(), kPrefixes.end(), [text](std::string_view prefix) {
        return StartsWithIgnoreCase(text, prefix);
    });
}

// The typed text as a local path, keeping the typed slashes.
std::string ConvertedPath(std::string_view text) {
    return LocalPathToUrlPath(text).substr(1);
}

std::string CompletedUrl(const std::string& text) {
    if (text.starts_with("//") && !text.starts_with("///")) return "file://" + ConvertedPath(text);
    if (text.starts_with('/')) return "file:" + ConvertedPath(text);
    if (text.size() >= 2 && (text[1] == ':' || text[1] == '|')) {
        return "file:/" + ConvertedPath(text);
    }
    if (text.starts_with("./") || text.starts_with("../")) return "file:///" + ConvertedPath(text);

    struct HostRule {
        std::string_view prefix;
        std::string_view scheme;
    };
    static constexpr HostRule kHostRules[] = {
        {"www.", "http://"},      {"home.", "http://"},     {"whois.", "whois://"},
        {"telnet.", "telnet://"}, {"tn3270.", "tn3270://"}, {"ftp.", "ftp://"},
        {"gopher.", "gopher://"},
    };
    if (StartsWithIgnoreCase(text, "news.")) {
        return (text.find('/') != std::string::npos ? "news://" : "news:") + text;
    }
    for (const HostRule& rule : kHostRules) {
        if (StartsWithIgnoreCase(text, rule.prefix)) return std::string(rule.scheme) + text;
    }
    return "http://" + text;
}

}  // namespace

void CompleteTypedUrl(std::string& text, std::string_view currentUrl) {
    if (text.empty() && !currentUrl.empty()) {
        text = currentUrl;
        return;
    }
    std::replace(text.begin(), text.end(), '\\', '/');
    TrimTypedText(text);
    if (HasKnownSchemePrefix(text)) return;
    text = CompletedUrl(text);
}

std::string LocalFileUrl(std::string_view path) {
    // A Unix path is rooted already and the conversion puts the root's "/" in front itself;
    // keeping ours would read the first directory as a host.
    if (path.starts_with('/'))
        path.remove_prefix(std::min(path.find_first_not_of('/'), path.size()));
    std::string urlPath = LocalPathToUrlPath(path);
    if (urlPath.starts_with("///")) urlPath.insert(0, "/");
    CHTAddress base = ParseAddress("file:");
    return FormatAddress(ParseAddress(urlPath, &base));
}

}  // namespace corvane::core
