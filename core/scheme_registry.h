#pragma once
// The scheme registry: an ordered table of URL schemes filled once at start-up. A scheme's position
// is its index, which addresses store and every layer passes around; the built-in schemes sit at
// fixed indexes from http (0) to whois (11).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/runtime_class.h"

namespace corvane::core {

enum SchemeIndex : std::int16_t {
    kSchemeNone = -1,
    kSchemeHttp = 0,
    kSchemeFile = 1,
    kSchemeFtp = 2,
    kSchemeMail = 3,
    kSchemeMailto = 4,
    kSchemeNews = 5,
    kSchemeNewsPost = 6,
    kSchemeNntp = 7,
    kSchemeGopher = 8,
    kSchemeTelnet = 9,
    kSchemeTn3270 = 10,
    kSchemeWhois = 11,
    kSchemeHttps = 12,  // after the fixed twelve: their indexes never move
};

struct CHTSchemeEntry {
    std::string name;                    // lower case
    const CRuntimeClass* protocolClass;  // class of the protocol object for this scheme
    bool opaquePath;                     // relative paths are never merged with the base path
    bool networkLocation;                // the canonical string writes "//" and the host
    std::int16_t proxySlot = -1;         // -1 direct; otherwise the proxy slot to go through
};

class CHTSchemeRegistry {
  public:
    // Appends a scheme and answers its index; the name is stored in lower case.
    int RegisterScheme(std::string_view name, const CRuntimeClass* protocolClass, bool opaquePath,
                       bool networkLocation);

    // The index of the first scheme whose name begins with the text before the first ":" of
    // `text` (compared case-insensitively over that text's length), or -1. An empty text matches
    // the first scheme.
    int FindScheme(std::string_view text) const;

    // Accessors answer a neutral value for an index outside the table.
    const char* SchemeName(int index) const;
    bool IsOpaquePath(int index) const;
    bool HasNetworkLocation(int index) const;
    int ProxySlot(int index) const;
    const CRuntimeClass* ProtocolClass(int index) const;
    bool IsValid(int index) const { return index >= 0 && index < Count(); }
    int Count() const { return static_cast<int>(entries_.size()); }

    // Ignored outside the table.
    void SetProxySlotAt(int index, int slot);
    void SetProtocolClass(int index, const CRuntimeClass* protocolClass);

    // FindScheme, then sets the slot (-1: fetched directly).
    void SetProxySlot(std::string_view schemeText, int slot);

  private:
    std::vector<CHTSchemeEntry> entries_;
};

// The program's registry, filled with the built-in schemes on first use. Layers above the
// core put their protocol classes in with SetProtocolClass at start-up.
CHTSchemeRegistry& Schemes();

// Shorthands on the program's registry.
inline int FindScheme(std::string_view text) {
    return Schemes().FindScheme(text);
}
inline int RegisterScheme(std::string_view name, const CRuntimeClass* protocolClass,
                          bool opaquePath, bool networkLocation) {
    return Schemes().RegisterScheme(name, protocolClass, opaquePath, networkLocation);
}
inline void SetProxySlot(std::string_view schemeText, int slot) {
    Schemes().SetProxySlot(schemeText, slot);
}

}  // namespace corvane::core
