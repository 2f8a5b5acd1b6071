#include "core/scheme_registry.h"

#include "platform/ascii.h"
#include "core/protocol.h"

namespace corvane::core {

int CHTSchemeRegistry::RegisterScheme(std::string_view name, const CRuntimeClass* protocolClass,
                                      bool opaquePath, bool networkLocation) {
    entries_.push_back(
        CHTSchemeEntry{AsciiLower(name), protocolClass, opaquePath, networkLocation, -1});
    return Count() - 1;
}

int CHTSchemeRegistry::FindScheme(std::string_view text) const {
    std::string_view wanted = text.substr(0, text.find(':'));
    for (int index = 0; index < Count(); ++index) {
        const std::string& name = entries_[index].name;
        if (wanted.size() <= name.size() && EqualsIgnoreCase(name.substr(0, wanted.size()), wanted))
            return index;
    }
    return kSchemeNone;
}

const char* CHTSchemeRegistry::SchemeName(int index) const {
    return IsValid(index) ? entries_[index].name.c_str() : nullptr;
}

bool CHTSchemeRegistry::IsOpaquePath(int index) const {
    return IsValid(index) && entries_[index].opaquePath;
}

bool CHTSchemeRegistry::HasNetworkLocation(int index) const {
    return IsValid(index) && entries_[index].networkLocation;
}

int CHTSchemeRegistry::ProxySlot(int index) const {
    return IsValid(index) ? entries_[index].proxySlot : -1;
}

const CRuntimeClass* CHTSchemeRegistry::ProtocolClass(int index) const {
    return IsValid(index) ? entries_[index].protocolClass : nullptr;
}

void CHTSchemeRegistry::SetProxySlotAt(int index, int slot) {
    if (IsValid(index)) entries_[index].proxySlot = static_cast<std::int16_t>(slot);
}

void CHTSchemeRegistry::SetProtocolClass(int index, const CRuntimeClass* protocolClass) {
    if (IsValid(index)) entries_[index].protocolClass = protocolClass;
}

void CHTSchemeRegistry::SetProxySlot(std::string_view schemeText, int slot) {
    SetProxySlotAt(FindScheme(schemeText), slot);
}

namespace {

CHTSchemeRegistry MakeBuiltinRegistry() {
    struct Builtin {
        const char* name;
        bool opaquePath;
        bool networkLocation;
    };
    // The order fixes the indexes of SchemeIndex.
    static constexpr Builtin kBuiltins[] = {
        {"http", false, true},    {"file", false, true},   {"ftp", false, true},
        {"mail", false, true},    {"mailto", true, false}, {"news", true, true},
        {"newspost", true, true}, {"nntp", true, true},    {"gopher", true, true},
        {"telnet", true, true},   {"tn3270", true, true},  {"whois", true, true},
        {"https", false, true},
    };
    CHTSchemeRegistry registry;
    for (const Builtin& builtin : kBuiltins) {
        // Each layer that brings a protocol puts its class in at start-up.
        registry.RegisterScheme(builtin.name, &CHTUnavailableProtocol::kRuntimeClass,
                                builtin.opaquePath, builtin.networkLocation);
    }
    return registry;
}

}  // namespace

CHTSchemeRegistry& Schemes() {
    static CHTSchemeRegistry registry = MakeBuiltinRegistry();
    return registry;
}

}  // namespace corvane::core
